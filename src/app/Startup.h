#pragma once

#include <cstdint>
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

// The read-me file's text, in the 8-bit code page; empty when it cannot be
// read or is far longer than any rules (the help window would labour over it
// for minutes).
inline constexpr std::size_t kMaxReadMeBytes = 256 * 1024;
std::string ReadReadMe(const std::filesystem::path& userFolder);

// Writes the rules text into ReadMe.txt (in the 8-bit code page) when it is
// missing, from another version or unreadable as above. `creationDate` is the executable's date.
// A file that cannot be replaced counts as current: there is nothing to offer.
ReadMeState HandleReadMe(const std::filesystem::path& userFolder, const std::string& creationDate);

}  // namespace korvel
