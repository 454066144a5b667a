#include "core/CommonRoutines.h"
#include "core/SystemFiles.h"

#if !defined(_WIN32)
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fstream>
#include <optional>
#include <system_error>

namespace korvel {
namespace fs = std::filesystem;

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& data) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < data.size()) {
        const std::size_t end = data.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(data.substr(start));
            break;
        }
        lines.push_back(data.substr(start, end - start));
        const bool crLf = data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n';
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}

bool ReadWholeFile(const fs::path& path, std::string& out, std::size_t maxBytes) {
    out.clear();
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    // The size is looked at before anything is read, and the read itself stops
    // one byte past the bound, should the file grow meanwhile.
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > maxBytes) {
        return false;
    }
    std::string bytes;
    bytes.reserve(ec ? 0 : static_cast<std::size_t>(size));
    char chunk[16384];
    while (in) {
        in.read(chunk,
                static_cast<std::streamsize>(std::min(sizeof chunk, maxBytes - bytes.size() + 1)));
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > maxBytes) {
            return false;
        }
    }
    if (in.bad()) {
        return false;
    }
    out = std::move(bytes);
    return true;
}

std::string ReadTextFile(const fs::path& path, std::size_t maxBytes) {
    std::string data;
    if (!ReadWholeFile(path, data, maxBytes)) {
        return {};
    }
    std::string text;
    for (const auto& line : SplitLines(data)) {
        text += line;
        text += "\r\n";
    }
    if (text.size() >= 2) {
        text.resize(text.size() - 2);
    }
    return text;
}

namespace {

// The file a write replaces: the path itself, or, following links, the end of
// its chain of links. Nothing for a chain that does not end.
std::optional<fs::path> WriteTarget(const fs::path& path, AtLink atLink) {
    fs::path target = path;
    for (int hops = 0; atLink == AtLink::Follow; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(target, ec))) {
            break;
        }
        const fs::path next = fs::read_symlink(target, ec);
        if (ec || hops == 40) {
            return std::nullopt;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

}  // namespace

bool WriteFileAtomically(const fs::path& path, std::string_view bytes, AtLink atLink) {
    const auto target = WriteTarget(path, atLink);
    return target && ReplaceFile(*target, bytes);
}

bool WriteTextFile(const fs::path& path, std::string_view text, AtLink atLink) {
    std::string bytes(text);
    bytes += "\r\n";
    return WriteFileAtomically(path, bytes, atLink);
}

void ReadTextLines(const fs::path& path, std::vector<std::string>& lines, std::size_t maxBytes) {
    std::string data;
    std::vector<std::string> read;
    if (ReadWholeFile(path, data, maxBytes)) {
        read = SplitLines(data);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i] = i < read.size() ? read[i] : std::string();
    }
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with backtracking to the last "*".
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool NaturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            std::size_t ei = i;
            std::size_t ej = j;
            while (ei < a.size() && IsDigit(a[ei])) {
                ++ei;
            }
            while (ej < b.size() && IsDigit(b[ej])) {
                ++ej;
            }
            // Compare the runs as numbers: skip leading zeros, then length, then digits.
            std::size_t si = i;
            std::size_t sj = j;
            while (si + 1 < ei && a[si] == '0') {
                ++si;
            }
            while (sj + 1 < ej && b[sj] == '0') {
                ++sj;
            }
            if (ei - si != ej - sj) {
                return ei - si < ej - sj;
            }
            const auto ra = a.substr(si, ei - si);
            const auto rb = b.substr(sj, ej - sj);
            if (ra != rb) {
                return ra < rb;
            }
            i = ei;
            j = ej;
        } else {
            const char ca = AsciiLower(a[i]);
            const char cb = AsciiLower(b[j]);
            if (ca != cb) {
                return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
            }
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j)) {
        return (a.size() - i) < (b.size() - j);
    }
    return a < b;  // equal under the natural order: keep a stable, total order
}

std::vector<std::string> ListFiles(const fs::path& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        return names;
    }
    for (const auto& entry : it) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) {
            continue;
        }
        const std::string name = entry.path().filename().string();
        if (MatchesPattern(name, pattern)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    return names;
}

int PluralForm(std::int32_t n) {
    std::string text = std::to_string(n);
    if (text.size() > 2) {
        text = text.substr(text.size() - 2);
    }
    const int value = std::stoi(text);
    const int units = value % 10;
    const bool teen = value >= 10 && value <= 19;
    if (value > 0 && !teen && units == 1) {
        return 0;
    }
    if (value > 0 && !teen && units >= 2 && units <= 4) {
        return 1;
    }
    return 2;
}

std::string SwapCodes(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 144) {
            ch = static_cast<char>(c - 112);
        } else if (c >= 32) {
            ch = static_cast<char>(c + 112);
        }
    }
    return out;
}

std::int64_t RoundHalfEven(double value) {
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::int32_t Stopwatch::read(int selector) {
    if (selector == 0) {
        m_mark = m_clock.tickCount();
        return 0;
    }
    if (selector < 1 || selector > 3) {
        return 0;
    }
    const std::int64_t elapsedMs = m_clock.tickCount() - m_mark;
    const std::int64_t total = RoundHalfEven(static_cast<double>(elapsedMs) / 1000.0);
    const std::int64_t hours = total / 3600;
    const std::int64_t minutes = (total - 3600 * hours) / 60;
    const std::int64_t seconds = total - 3600 * hours - 60 * minutes;
    const std::int64_t result = selector == 1 ? hours : selector == 2 ? minutes : seconds;
    return static_cast<std::int32_t>(result);
}

}  // namespace korvel
