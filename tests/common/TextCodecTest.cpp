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

using Row = std::pair<std::string, std::string>;
class Utf8Unmappable : public ::testing::TestWithParam<Row> {};

TEST_P(Utf8Unmappable, BecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Unmappable,
                         ::testing::Values(Row{"a\xE4\xB8\xADz", "a?z"},     // a CJK character
                                           Row{"\xF0\x9F\x98\x80", "?"},     // an emoji
                                           Row{"x\xFFy", "x?y"},             // not UTF-8 at all
                                           Row{"\xD0", "?"},                 // cut short
                                           Row{"\xE4\xB8z", "??z"},          // cut short
                                           Row{"\xC0\xBC", "??"},            // overlong "<"
                                           Row{"a\xC0\x8Dz=1", "a??z=1"},    // overlong CR
                                           Row{"\xE0\x80\x8A", "???"},       // overlong LF
                                           Row{"\xF0\x80\x80\xBC", "????"},  // overlong "<"
                                           Row{"\xED\xA0\x80", "???"},       // a surrogate
                                           Row{"\xF4\x90\x80\x80", "????"},  // past U+10FFFF
                                           Row{"\x80\xBFz", "??z"}));        // stray continuation

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int c = 0; c < 256; ++c) {
        all.push_back(static_cast<char>(c));
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

}  // namespace
}  // namespace korvel
