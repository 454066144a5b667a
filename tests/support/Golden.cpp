#include "Golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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
    std::vector<std::string> expected;
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << "no golden transcript " << file;
    for (std::string line; std::getline(in, line);) {
        expected.push_back(line);
    }
    std::size_t first = 0;
    while (first < lines.size() && first < expected.size() && lines[first] == expected[first]) {
        ++first;
    }
    if (first == lines.size() && first == expected.size()) {
        return;
    }
    std::string diff;
    const std::size_t from = first > 3 ? first - 3 : 0;
    for (std::size_t i = from; i < first; ++i) {
        diff += "  " + lines[i] + "\n";
    }
    for (std::size_t i = first; i < std::min(expected.size(), first + 6); ++i) {
        diff += "- " + expected[i] + "\n";
    }
    for (std::size_t i = first; i < std::min(lines.size(), first + 6); ++i) {
        diff += "+ " + lines[i] + "\n";
    }
    ADD_FAILURE() << file.filename() << " differs from line " << first + 1 << " (expected "
                  << expected.size() << " lines, got " << lines.size() << "):\n"
                  << diff;
}

}  // namespace korvel::testing
