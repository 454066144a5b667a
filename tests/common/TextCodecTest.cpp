#include <gtest/gtest.h>

#include "TextCodec.h"

namespace korvel {
namespace {

class Cp1251Table : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(Cp1251Table, ConvertsBothWays) {
    const auto& [utf8, bytes] = GetParam();
    EXPECT_EQ(Utf8ToCp1251(utf8), bytes);
    EXPECT_EQ(Cp1251ToUtf8(bytes), utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, Cp1251Table,
    ::testing::Values(std::pair{std::string("ИГРОК"), std::string("\xC8\xC3\xD0\xCE\xCA")},
                      std::pair{std::string("Ёё"), std::string("\xA8\xB8")},
                      std::pair{std::string("аяАЯ"), std::string("\xE0\xFF\xC0\xDF")},
                      std::pair{std::string("№«»—"), std::string("\xB9\xAB\xBB\x97")},
                      std::pair{std::string("plain 1.3.8\r\n"), std::string("plain 1.3.8\r\n")}));

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\xE4\xB8\xAD"
                           "b"),
              "a?b");                                  // a CJK character
    EXPECT_EQ(Utf8ToCp1251("\xF0\x9F\x98\x80"), "?");  // an emoji
    EXPECT_EQ(Utf8ToCp1251("x\xFF"
                           "y"),
              "x?y");                      // not UTF-8 at all
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");  // cut short
}

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

}  // namespace
}  // namespace korvel
