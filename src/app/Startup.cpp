#include "app/Startup.h"

#include "core/CommonRoutines.h"
#include "core/IniFile.h"
#include "core/TextCodec.h"
#include "core/Texts.h"

namespace korvel {

std::filesystem::path SettingsPath(const std::filesystem::path& userFolder) {
    return userFolder / "Korvel.ini";
}

void EnsureSettingsFile(Settings& settings) {
    if (!settings.exists()) {
        settings.CreateIni();
    }
}

std::string ReadReadMe(const std::filesystem::path& userFolder) {
    return ReadTextFile(userFolder / "ReadMe.txt", kMaxReadMeBytes);
}

ReadMeState HandleReadMe(const std::filesystem::path& userFolder, const std::string& creationDate) {
    const auto path = userFolder / "ReadMe.txt";
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (exists && ReadMeIsCurrent(ReadReadMe(userFolder))) {
        return ReadMeState::Current;
    }
    if (!WriteTextFile(path, Utf8ToCp1251(RulesText(creationDate))) && exists) {
        // Something that cannot be replaced is in the way: nothing was updated,
        // so nothing is asked; the help window reads the rules from memory.
        return ReadMeState::Current;
    }
    return exists ? ReadMeState::Updated : ReadMeState::FirstRun;
}

}  // namespace korvel
