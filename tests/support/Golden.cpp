#include "Golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace korvel::testing {

void ExpectGolden(const std::vector<std::string>& lines, const std::string& name) {
    const char* dir = std::getenv("KORVEL_TEST_DATA");
    ASSERT_NE(dir, nullptr);
    const std::filesystem::path file = std::filesystem::path(dir) / (name + ".txt");
    if (const char* update = std::getenv("KORVEL_UPDATE_GOLDEN"); update && *update == '1') {
        std::ofstream out(file, std::ios::binary);
        for (const auto& line : lines) {
            out << line << '\n';
        }
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(file)) << "no golden transcript " << file;
    const std::vector<std::string> expected = Split(ReadBytes(file));
    const auto [got, want] = std::ranges::mismatch(lines, expected);
    EXPECT_TRUE(got == lines.end() && want == expected.end())
        << file.filename() << " differs from line " << got - lines.begin() + 1 << " of "
        << expected.size() << ":\n- " << (want == expected.end() ? "(the end)" : *want) << "\n+ "
        << (got == lines.end() ? "(the end)" : *got);
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> DataLines(const std::string& name, bool comments) {
    const char* data = std::getenv("KORVEL_TEST_DATA");
    std::vector<std::string> lines =
        Split(data ? ReadBytes(std::filesystem::path(data) / name) : "");
    std::erase_if(lines, [comments](const std::string& line) {
        return line.empty() || (!comments && line[0] == '#');
    });
    return lines;
}

std::string Unescape(const std::string& s) {
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

std::string Escape(const std::string& s) {
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

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::istringstream in(text);
    for (std::string piece; std::getline(in, piece, separator);) {
        pieces.push_back(piece);
    }
    return pieces;
}

std::string Joined(const std::vector<std::string>& items, const std::string& between,
                   const std::string& none) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : between) + items[i];
    }
    return items.empty() ? none : text;
}

void RunCaseFile(const std::string& name, const Command& run) {
    std::vector<std::string> lines;
    std::string command;
    Args args;
    const auto finish = [&] {  // the command read last, with the lines it took
        const std::string outcome = command.empty() ? "" : run(command, args);
        for (std::size_t at = 0, end = 0; !command.empty() && end != std::string::npos;
             at = end + 1) {
            end = outcome.find('\n', at);
            lines.push_back("= " + outcome.substr(at, end - at));
        }
        command.clear();
        args.clear();
    };
    for (const std::string& line : DataLines(name + ".txt", true)) {
        if (line.starts_with("#") || line.starts_with("> ")) {
            finish();
        }
        if (!line.starts_with("= ")) {  // outcomes are written anew
            lines.push_back(line);
        }
        if (line.starts_with("> ")) {
            std::istringstream words(line.substr(2));
            words >> command;
            for (std::string word; words >> word;) {
                args.push_back(Unescape(word));
            }
        } else if (!line.starts_with("#") && !line.starts_with("= ")) {
            args.push_back(line);  // a line the command takes
        }
    }
    finish();
    ExpectGolden(lines, name);
}

}  // namespace korvel::testing
