#include "core/IniFile.h"

#include <limits>
#include <optional>
#include <vector>

#include "core/CommonRoutines.h"
#include "core/TextCodec.h"

namespace korvel {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxValueLength = 254;

std::string Trim(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) {
        ++b;
    }
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) {
        --e;
    }
    return std::string(s.substr(b, e - b));
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) -> unsigned char {
            if (c >= 'A' && c <= 'Z') {
                return static_cast<unsigned char>(c - 'A' + 'a');
            }
            if (c >= 0xC0 && c <= 0xDF) {  // Cyrillic capitals of the code page
                return static_cast<unsigned char>(c + 0x20);
            }
            return c;
        };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::string data;
    return ReadWholeFile(path, data, kMaxSettingsBytes) ? SplitLines(data)
                                                        : std::vector<std::string>{};
}

// The section name of a header line, or nothing.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() >= 2 && t.front() == '[') {
        const auto close = t.find(']');
        if (close != std::string::npos) {
            return Trim(std::string_view(t).substr(1, close - 1));
        }
    }
    return std::nullopt;
}

// Splits a value line into key and value; nothing for other lines.
std::optional<std::pair<std::string, std::string>> KeyValueOf(const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) {
        return std::nullopt;
    }
    const std::string t = Trim(line);
    if (t.empty() || t.front() == ';') {
        return std::nullopt;
    }
    return std::make_pair(Trim(std::string_view(line).substr(0, eq)),
                          Trim(std::string_view(line).substr(eq + 1)));
}

// Puts `keyLine`, the line of the key `keyCp`, into the section `sectionCp`
// of `lines`: in place of the key's line there, else after the section's last
// line that is not empty, else at the end under a new section heading.
void SetKeyLine(std::vector<std::string>& lines, const std::string& sectionCp,
                const std::string& keyCp, const std::string& keyLine) {
    bool inSection = false;
    bool sectionFound = false;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (inSection) {
                break;  // the section ended without the key
            }
            inSection = EqualNoCase(*name, sectionCp);
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (auto kv = KeyValueOf(lines[i]); kv && EqualNoCase(kv->first, keyCp)) {
            lines[i] = keyLine;
            return;
        }
        if (!Trim(lines[i]).empty()) {
            insertAt = i + 1;
        }
    }
    if (sectionFound) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), keyLine);
    } else {
        lines.push_back("[" + sectionCp + "]");
        lines.push_back(keyLine);
    }
}

}  // namespace

std::optional<std::string> FindIni(const fs::path& path, std::string_view section,
                                   std::string_view key) {
    const std::string sectionCp = Utf8ToCp1251(section);
    const std::string keyCp = Utf8ToCp1251(key);
    bool inSection = false;
    for (const auto& line : ReadLines(path)) {
        if (auto name = SectionOf(line)) {
            inSection = EqualNoCase(*name, sectionCp);
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (auto kv = KeyValueOf(line); kv && EqualNoCase(kv->first, keyCp)) {
            std::string value = kv->second;
            if (value.size() > kMaxValueLength) {
                value.resize(kMaxValueLength);
            }
            return Cp1251ToUtf8(value);
        }
    }
    return std::nullopt;
}

std::string GetIni(const fs::path& path, std::string_view section, std::string_view key) {
    return FindIni(path, section, key).value_or("0");
}

bool WriteIni(const fs::path& path, std::string_view section, std::string_view key,
              std::string_view value) {
    std::string clean;
    for (const char c : value) {
        if (c != '\r' && c != '\n') {
            clean.push_back(c);
        }
    }
    const std::string sectionCp = Utf8ToCp1251(section);
    const std::string keyCp = Utf8ToCp1251(key);
    const std::string newLine = keyCp + "=" + Utf8ToCp1251(clean);

    // A file that is there but cannot be read (or is too large to be read) is
    // never replaced: every setting in it would be lost. The game goes on with
    // its values in memory.
    std::vector<std::string> lines;
    std::string data;
    std::error_code error;
    const bool existed = fs::exists(path, error);
    if (existed) {
        if (!ReadWholeFile(path, data, kMaxSettingsBytes)) {
            return false;
        }
        lines = SplitLines(data);
    }
    SetKeyLine(lines, sectionCp, keyCp, newLine);
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    // A value already stored as it is costs no write (each is synced to the disk).
    // A settings file kept elsewhere behind a link (a folder of dotfiles) is
    // written where it lies, and the link stays.
    return (existed && bytes == data) || WriteFileAtomically(path, bytes, AtLink::Follow);
}

std::int16_t IniNumber(std::string_view value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    double number = 0.0;
    bool any = false;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
        number = number * 10.0 + (value[i] - '0');
        any = true;
        ++i;
    }
    if (i < value.size() && value[i] == '.') {
        ++i;
        double scale = 0.1;
        while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
            number += (value[i] - '0') * scale;
            scale /= 10.0;
            any = true;
            ++i;
        }
    }
    if (!any) {
        return 0;
    }
    if (negative) {
        number = -number;
    }
    constexpr double kMin = std::numeric_limits<std::int16_t>::min();
    constexpr double kMax = std::numeric_limits<std::int16_t>::max();
    if (number <= kMin) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (number >= kMax) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(RoundHalfEven(number));
}

bool Settings::exists() const {
    std::error_code ec;
    return fs::exists(m_path, ec);
}

std::string Settings::GetIni(std::string_view section, std::string_view key) const {
    return korvel::GetIni(m_path, section, key);
}

bool Settings::HasKey(std::string_view section, std::string_view key) const {
    return FindIni(m_path, section, key).has_value();
}

std::int16_t Settings::GetNumber(std::string_view section, std::string_view key) const {
    return IniNumber(GetIni(section, key));
}

bool Settings::SetIni(std::string_view section, std::string_view key, std::string_view value) {
    return WriteIni(m_path, section, key, value);
}

bool Settings::SetNumber(std::string_view section, std::string_view key, int value) {
    return SetIni(section, key, std::to_string(value));
}

void Settings::CreateIni() {
    SetIni("Menu", "level", "1");
    SetIni("Menu", "time", "0");
    SetIni("Menu", "type", "1");
    SetIni("Menu", "position", "1");
    SetIni("Game", "interval", "100");
    SetIni("Game", "gamer1", "white");
    SetIni("Game", "gamer2", "black");
    SetIni("Game", "player_name", "ИГРОК");
    SetIni("Game", "player_sound", "player");
    SetIni("Music", "music", "1");
}

}  // namespace korvel
