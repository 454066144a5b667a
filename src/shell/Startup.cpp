#include "Startup.h"

#include "CommonRoutines.h"
#include "IniFile.h"
#include "TextCodec.h"
#include "Texts.h"

namespace korvel {

std::filesystem::path SettingsPath(const std::filesystem::path& userFolder) {
    return userFolder / "Korvel.ini";
}

void EnsureSettingsFile(Settings& settings) {
    if (!settings.exists()) {
        settings.CreateIni();
    }
}

ReadMeState HandleReadMe(const std::filesystem::path& userFolder, const std::string& creationDate) {
    const auto path = userFolder / "ReadMe.txt";
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    if (exists && ReadMeIsCurrent(ReadTextFile(path))) {
        return ReadMeState::Current;
    }
    WriteTextFile(path, Utf8ToCp1251(RulesText(creationDate)));
    return exists ? ReadMeState::Updated : ReadMeState::FirstRun;
}

}  // namespace korvel
