// Every key of the board under the Latin and the Russian layout, with and
// without key codes, and with modifiers: the same physical key gives the same
// command, and a modifier none (golden data/key_layouts.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "Session.h"

namespace korvel::testing {
namespace {

// What the player hears from one key pressed on the opening position, cursor
// on d4, once the start announcements are over.
std::string Heard(const std::string& key) {
    Session s;
    s.app->StartUp();
    s.game().timeOfDay = [] { return std::array<int, 3>{10, 0, 0}; };
    s.press(8000, key);
    s.startGame({1, 2, 1, 1});
    s.runUntil(8400);
    std::string heard = key + ":";
    for (auto line =
             std::find_if(s.lines.rbegin(), s.lines.rend(),
                          [](const auto& l) { return l.find("key ") != std::string::npos; });
         line != s.lines.rbegin();) {
        heard += " | " + (--line)->substr(9);
    }
    return heard;
}

TEST(KeyLayouts, LatinRussianAndBareKeyCodesAgree) {
    std::vector<std::string> heard;
    for (const char* row : {"I Ш", "M Ь", "J О", "K Л", "U Г", "O Щ", "N Т", ", Б", "A Ф", "B И",
                            "C С", "D В", "G П", "T Е", "V М", "W Ц", "X Ч", "Z Я", "Q Й"}) {
        std::istringstream in(row);
        std::string latin, russian;
        in >> latin >> russian;
        std::vector<std::string> said;  // what follows each key's name
        for (const std::string& key :
             {latin, "ru:" + russian, "bare:" + russian, "Shift+" + latin, "Ctrl+ru:" + russian}) {
            heard.push_back(Heard(key));
            said.push_back(heard.back().substr(key.size() + 1));
        }
        // The same physical key does the same under both layouts, with or
        // without key codes; with a modifier it does nothing.
        EXPECT_EQ(said[1], said[0]) << russian;
        EXPECT_EQ(said[2], said[0]) << russian;
        EXPECT_EQ(said[3], "") << latin;
        EXPECT_EQ(said[4], "") << russian;
    }
    ExpectGolden(heard, "key_layouts");
}

}  // namespace
}  // namespace korvel::testing
