#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Texts.h"

namespace korvel {
namespace {

std::string Golden() {
    std::ifstream in(std::string(KORVEL_COMMON_TEST_DATA) + "/RulesText.golden.txt",
                     std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string crlf;
    for (const char c : text) {
        if (c == '\n') {
            crlf += "\r\n";
        } else {
            crlf += c;
        }
    }
    return crlf;
}

TEST(Texts, VersionTitle) {
    EXPECT_EQ(VersionTitle(), std::string(32, ' ') + "KORVEL  -  1.3.8    -    beta");
}

TEST(Texts, RulesTextMatchesTheGoldenCopy) {
    const std::string golden = Golden();
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(RulesText("01.02.2026 03:04:05"), golden);
}

struct ReadMeCase {
    const char* text;
    bool current;
};

class ReadMeVersion : public ::testing::TestWithParam<ReadMeCase> {};

TEST_P(ReadMeVersion, FirstDigitStartsTheVersion) {
    EXPECT_EQ(ReadMeIsCurrent(GetParam().text), GetParam().current) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadMeVersion,
                         ::testing::Values(ReadMeCase{"    KORVEL  -  1.3.8    -    beta", true},
                                           ReadMeCase{"    KORVEL  -  1.2.9    -    beta", false},
                                           ReadMeCase{"no digits at all", false},
                                           ReadMeCase{"", false}, ReadMeCase{"v0 1.3.8", true},
                                           ReadMeCase{"1.3.", false}, ReadMeCase{"1.3.80", true}));

TEST(Texts, ReadMeWrittenByThisVersionIsCurrent) {
    EXPECT_TRUE(ReadMeIsCurrent(RulesText("01.01.2026 00:00:00")));
}

TEST(Texts, AppFolderEndsWithASeparator) {
    EXPECT_EQ(AppFolder("/opt/korvel/korvel"), "/opt/korvel/");
    EXPECT_EQ(AppFolder("/korvel"), "/");
}

// Day first, then month: a day past the twelfth shows a swap.
TEST(Texts, FileDateTextIsDayMonthYearLocalTime) {
    EXPECT_EQ(FileDateText("/nonexistent/korvel"), "");
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "korvel-date";
    std::ofstream(file) << "x";
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 25;
    local.tm_hour = 14;
    local.tm_min = 5;
    local.tm_sec = 6;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    std::filesystem::last_write_time(file, std::chrono::file_clock::from_sys(when));
    EXPECT_EQ(FileDateText(file), "25.03.2026 14:05:06");
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace korvel
