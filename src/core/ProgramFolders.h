#pragma once

#include <filesystem>
#include <string>

namespace korvel {

// The two folders the program works with. `data` is only read: the phrase
// recordings (Speaks/), the effects (Sounds/) and the music (Musics/). `user`
// is read and written: the settings (Korvel.ini), the read-me (ReadMe.txt),
// the saved games (Games/) and the optional start position (start.txt).
// A portable folder is both; built from one path, so is this.
struct Folders {
    Folders() = default;
    Folders(std::filesystem::path both) : data(both), user(std::move(both)) {}
    Folders(std::filesystem::path dataFolder, std::filesystem::path userFolder)
        : data(std::move(dataFolder)), user(std::move(userFolder)) {}

    std::filesystem::path data;
    std::filesystem::path user;
    // The user folder lies in a folder that every user may write in (the
    // temporary one): it must be the player's own, which MakeUserFolder checks.
    bool userInSharedFolder = false;
};

// What the folder choice depends on, looked up at start-up by
// LookUpFolderFacts and given by hand in the tests.
struct FolderFacts {
    std::filesystem::path programFolder;  // the executable's folder
    bool programHasData = false;          // Speaks/ lies beside the executable
    bool installedHasData = false;        // Speaks/ lies in the installed data folder
    bool programWritable = false;         // this user may create files there
    std::string xdgDataHome;              // $XDG_DATA_HOME, empty when unset
    std::string home;                     // $HOME, else the password database's
    std::filesystem::path tempFolder;     // the system's temporary folder
};

// The installed data folder relative to the executable's folder: from
// /usr/games it is /usr/share/games/korvel.
inline constexpr const char* kInstalledDataRelative = "../share/games/korvel";

// The folder rule. The game is installed when its data is not beside the
// executable but in the installed data folder: the data is read from there.
// Otherwise the program folder is a portable folder, both folders as it always
// was, as long as it can be written. An installed game (even run by root) or a
// read-only portable folder keeps the user's files in $XDG_DATA_HOME/korvel
// (an absolute value only), else $HOME/.local/share/korvel, else, with no home
// at all, in korvel under the temporary folder.
Folders ChooseFolders(const FolderFacts& facts);

}  // namespace korvel
