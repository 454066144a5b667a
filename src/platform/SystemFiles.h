#pragma once

#include <filesystem>

#include "core/ProgramFolders.h"

namespace korvel {

// The facts of this process: the environment, the password database and
// whether the program folder holds the data and can be written.
FolderFacts LookUpFolderFacts(const std::filesystem::path& programFolder);

enum class UserFolderState {
    Ready,       // there, or made now
    NotMade,     // missing, and it could not be made
    NotPrivate,  // in a shared folder, but not the player's own: another user
                 // made it, it is a link, or others may write in it
};

// Creates the user folder when it is missing. One in a shared folder is made
// private (0700) and must be a folder of this user's that no one else can
// write in: anything else there was planted and is not used.
UserFolderState MakeUserFolder(const Folders& folders);

}  // namespace korvel
