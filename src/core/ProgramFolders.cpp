#include "core/ProgramFolders.h"

#include <system_error>

namespace korvel {

Folders ChooseFolders(const FolderFacts& facts) {
    const bool installed = !facts.programHasData && facts.installedHasData;
    if (!installed && facts.programWritable) {
        return Folders(facts.programFolder);
    }
    const std::filesystem::path data =
        installed ? (facts.programFolder / kInstalledDataRelative).lexically_normal()
                  : facts.programFolder;
    const std::filesystem::path xdg = facts.xdgDataHome;
    if (xdg.is_absolute()) {
        return Folders(data, xdg / "korvel");
    }
    if (!facts.home.empty()) {
        return Folders(data, std::filesystem::path(facts.home) / ".local" / "share" / "korvel");
    }
    Folders folders(data, facts.tempFolder / "korvel");
    folders.userInSharedFolder = true;
    return folders;
}

}  // namespace korvel
