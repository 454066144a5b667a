#pragma once

#include <filesystem>
#include <string>

namespace korvel {

class Settings;

// What start-up found of the read-me file.
enum class ReadMeState {
    Current,   // written by this version: nothing to do
    FirstRun,  // there was none: it has been written
    Updated,   // it came from another version: it has been rewritten
};

// The settings file in the user folder: "Korvel.ini".
std::filesystem::path SettingsPath(const std::filesystem::path& userFolder);

// Writes the default settings file when there is none.
void EnsureSettingsFile(Settings& settings);

// Writes the rules text into ReadMe.txt (in the 8-bit code page) when it is
// missing or from another version. `creationDate` is the executable's date.
ReadMeState HandleReadMe(const std::filesystem::path& userFolder, const std::string& creationDate);

}  // namespace korvel
