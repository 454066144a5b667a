#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace korvel::testing {

// Compares the lines with <name>.txt in the test's data folder
// (KORVEL_TEST_DATA) and names the first line that differs.
// KORVEL_UPDATE_GOLDEN=1 writes the file instead.
void ExpectGolden(const std::vector<std::string>& lines, const std::string& name);

// Whole file as bytes; empty when missing.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// The lines of a file in the test's data folder, without empty lines and,
// unless asked for, "#" comments; none when KORVEL_TEST_DATA is unset.
std::vector<std::string> DataLines(const std::string& name, bool comments = false);

// Bytes spelt in a data file's words: the escapes \r \n \t \s (a space), \xHH
// and \\ (a backslash), "\e" alone being the empty text; Escape spells bytes
// so, keeping the Cyrillic letters of UTF-8 as they are.
std::string Unescape(const std::string& s);
std::string Escape(const std::string& s);

// Case files: data/<name>.txt lists commands, "> command arg arg ...", each
// followed by the lines it takes as they are (a board's rows, say) and by "= "
// and what it gave, a line each; a "#" line is a comment. Every command is run
// and the whole compared with the file (ExpectGolden), so a case is a line or
// two there and its outcome is reviewed in the diff that KORVEL_UPDATE_GOLDEN=1
// writes. The arguments are read with Unescape, after them the lines taken.
// The pieces of `text` between the `separator`s (none in an empty text).
std::vector<std::string> Split(const std::string& text, char separator = '\n');
// The items with `between` between them; `none` when there are none.
std::string Joined(const std::vector<std::string>& items, const std::string& between,
                   const std::string& none = "");

using Args = std::vector<std::string>;
using Command = std::function<std::string(const std::string& command, const Args&)>;
void RunCaseFile(const std::string& name, const Command& run);

}  // namespace korvel::testing
