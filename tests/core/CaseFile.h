#pragma once

// Case files: data/<name>.txt lists commands, "> command arg arg ...", each
// followed by "= " and what it gave; a "#" line is a comment. The test runs
// every command and compares the whole with the file (ExpectGolden), so a case
// is one line there and its outcome is reviewed in the diff that
// KORVEL_UPDATE_GOLDEN=1 writes. Arguments spell bytes with the escapes \r \n
// \t \s (a space) \\ and \xHH, "\e" alone being the empty text; a command
// writes the bytes of its outcome the same way with Escape, which keeps
// the Cyrillic letters of UTF-8 as they are.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Golden.h"
#include "TempFolder.h"

namespace korvel::testing {

using Args = std::vector<std::string>;
// What a command with its arguments gives.
using Command = std::function<std::string(const std::string& command, const Args&)>;

inline std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = i + 1 < s.size() && s[i] == '\\' ? s[++i] : 0;
        const auto named = std::string("rnts").find(c);
        if (c == 'x') {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (c != 'e') {
            out += c == 0 ? s[i] : named == std::string::npos ? c : "\r\n\t "[named];
        }
    }
    return out;
}

inline std::string Escape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        const auto named = std::string("\r\n\t \\").find(s[i]);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        if (c >= 0xD0 && c <= 0xD3 && i + 1 < s.size() && (s[i + 1] & 0xC0) == 0x80) {
            out += s.substr(i++, 2);
        } else {
            out += named != std::string::npos ? std::string("\\") + "rnts\\"[named]
                   : c < 0x20 || c >= 0x7F    ? std::string(hex)
                                              : std::string(1, s[i]);
        }
    }
    return out.empty() ? "\\e" : out;
}

inline void RunCaseFile(const std::string& name, const Command& run) {
    const char* data = std::getenv("KORVEL_TEST_DATA");
    ASSERT_NE(data, nullptr) << "KORVEL_TEST_DATA names the folder of the case files";
    std::istringstream file(ReadBytes(std::string(data) + "/" + name + ".txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with("#") || line.starts_with("> ")) {
            lines.push_back(line);
        }
        std::istringstream words(line.starts_with("> ") ? line.substr(2) : "");
        std::string command, word;
        Args args;
        for (words >> command; words >> word;) {
            args.push_back(Unescape(word));
        }
        if (!command.empty()) {
            lines.push_back("= " + run(command, args));
        }
    }
    ExpectGolden(lines, name);
}

}  // namespace korvel::testing
