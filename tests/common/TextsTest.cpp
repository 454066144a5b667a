#include <gtest/gtest.h>

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

TEST(Texts, RulesTextMatchesTheGoldenCopyLineForLine) {
    const std::string golden = Golden();
    ASSERT_FALSE(golden.empty());
    const std::string rules = RulesText("01.02.2026 03:04:05");
    std::size_t a = 0;
    std::size_t b = 0;
    int line = 1;
    while (a < golden.size() && b < rules.size()) {
        const auto ea = golden.find("\r\n", a);
        const auto eb = rules.find("\r\n", b);
        ASSERT_EQ(rules.substr(b, eb - b), golden.substr(a, ea - a)) << "line " << line;
        a = ea + 2;
        b = eb + 2;
        ++line;
    }
    EXPECT_EQ(rules, golden);
    EXPECT_EQ(line, 95);
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

TEST(Texts, FileDateTextOfAMissingFileIsEmpty) {
    EXPECT_EQ(FileDateText("/nonexistent/korvel"), "");
    const std::string date = FileDateText(KORVEL_COMMON_TEST_DATA "/RulesText.golden.txt");
    ASSERT_EQ(date.size(), 19u);
    EXPECT_EQ(date[2], '.');
    EXPECT_EQ(date[13], ':');
}

}  // namespace
}  // namespace korvel
