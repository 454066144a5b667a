// Every key of the board under the Latin and the Russian layout, and with
// modifiers: the same physical key gives the same command.
#include <gtest/gtest.h>

#include "Session.h"

namespace korvel::testing {
namespace {

// What the player hears from one key pressed on the opening position, cursor
// on d4, once the start announcements are over.
std::vector<std::string> Heard(const std::string& key) {
    Session s;
    s.app->StartUp();
    s.rever().systemTime = [] { return QTime(10, 0, 0); };
    s.press(8000, key);
    s.startGame({1, 2, 1, 1});
    s.runUntil(8400);
    std::vector<std::string> heard;
    for (std::size_t i = 0; i < s.lines.size(); ++i) {
        if (s.lines[i].find("key ") != std::string::npos) {
            heard.assign(s.lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, s.lines.end());
        }
    }
    for (auto& line : heard) {
        line = line.substr(9);  // without the time
    }
    return heard;
}

struct SameKey {
    const char* latin;
    const char* russian;
    std::vector<std::string> heard;
};

class KeyLayouts : public ::testing::TestWithParam<SameKey> {};

TEST_P(KeyLayouts, LatinRussianAndBareKeyCodesAgree) {
    const SameKey& k = GetParam();
    EXPECT_EQ(Heard(k.latin), k.heard);
    EXPECT_EQ(Heard(std::string("ru:") + k.russian), k.heard);
    EXPECT_EQ(Heard(std::string("bare:") + k.russian), k.heard);
    EXPECT_EQ(Heard(std::string("Shift+") + k.latin), std::vector<std::string>{});
    EXPECT_EQ(Heard(std::string("Ctrl+ru:") + k.russian), std::vector<std::string>{});
}

const std::string kCursorD5 = "fx cursor pan=-50 vol=-500 freq=26000";
const std::string kCursorD3 = "fx cursor pan=-50 vol=-500 freq=22000";

INSTANTIATE_TEST_SUITE_P(
    Board, KeyLayouts,
    ::testing::Values(SameKey{"I", "Ш", {kCursorD5, "say D"}},
                      SameKey{"M", "Ь", {kCursorD3, "say D"}},
                      SameKey{"J", "О", {"fx cursor pan=-150 vol=-500 freq=24000", "say C"}},
                      SameKey{"K", "Л", {"fx cursor pan=50 vol=-500 freq=24000", "say E"}},
                      SameKey{"U", "Г", {"fx cursor pan=-150 vol=-500 freq=26000", "say C"}},
                      SameKey{"O", "Щ", {"fx cursor pan=50 vol=-500 freq=26000", "say E"}},
                      SameKey{"N", "Т", {"fx cursor pan=-150 vol=-500 freq=22000", "say C"}},
                      SameKey{",", "Б", {"fx cursor pan=50 vol=-500 freq=22000", "say E"}},
                      SameKey{"A", "Ф", {"say pass"}}, SameKey{"B", "И", {}},
                      SameKey{"C", "С", {"say free"}}, SameKey{"D", "В", {"say dictor"}},
                      SameKey{"G", "П", {"music stops"}}, SameKey{"T", "Е", {"say systime"}},
                      SameKey{"V", "М", {"say 50"}}, SameKey{"W", "Ц", {"say timer"}},
                      SameKey{"X", "Ч", {"say color1"}}, SameKey{"Z", "Я", {"say D"}},
                      SameKey{
                          "Q",
                          "Й",
                          {"say stop", "fx msginfo pan=0 vol=0 freq=0",
                           "dialog [Вопрос] Вы хотите прервать игру? / 1:Да >2:Нет", "answer 2"}}),
    [](const auto& info) {
        return std::string(info.param.latin == std::string(",") ? "comma" : info.param.latin);
    });

}  // namespace
}  // namespace korvel::testing
