#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korvel {

// The program's title, "KORVEL", and its version, 1.3.8.
inline constexpr std::string_view kProgramTitle = "KORVEL";
inline constexpr std::string_view kVersionText = "1.3.8";

// The main window's caption: 32 spaces, the title, the version and "beta".
std::string VersionTitle();

// The rules, technical notes and key list written to ReadMe.txt and read in the
// help window. UTF-8, every line ending in CR LF; the last line gives
// `creationDate`, the executable's modification date and time.
std::string RulesText(std::string_view creationDate);

// The modification date and time of `file` as "dd.MM.yyyy HH:mm:ss" in local
// time; empty when the file cannot be examined.
std::string FileDateText(const std::filesystem::path& file);

// True when a read-me text was written by this version: the five characters
// from its first digit 1..9 on equal the version text.
bool ReadMeIsCurrent(std::string_view readMeText);

// The program folder (the executable's folder), with a final separator.
std::string AppFolder(const std::filesystem::path& executable);

}  // namespace korvel
