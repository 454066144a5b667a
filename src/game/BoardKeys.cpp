#include "game/BoardKeys.h"

#include <array>
#include <utility>

namespace korvel {
namespace {

// The board's keys: arrows or I, J, K, M and U, O, N, comma move the cursor.
constexpr std::pair<std::string_view, Command> kBoardKeys[] = {
    {"Up", Command::Up},
    {"I", Command::Up},
    {"Down", Command::Down},
    {"M", Command::Down},
    {"Left", Command::Left},
    {"J", Command::Left},
    {"Right", Command::Right},
    {"K", Command::Right},
    {"Home", Command::UpLeft},
    {"U", Command::UpLeft},
    {"PageUp", Command::UpRight},
    {"O", Command::UpRight},
    {"End", Command::DownLeft},
    {"N", Command::DownLeft},
    {"PageDown", Command::DownRight},
    {",", Command::DownRight},
    {"Space", Command::Play},
    {"A", Command::Pass},
    {"B", Command::Quiet},
    {"C", Command::FreeCells},
    {"D", Command::ToggleAnnouncer},
    {"G", Command::ToggleMusic},
    {"Q", Command::Quit},
    {"T", Command::TimeOfDay},
    {"V", Command::TimeLeft},
    {"W", Command::SinceStart},
    {"X", Command::DiscCounts},
    {"Z", Command::SayCell},
    {"F1", Command::Help},
    {"F2", Command::Save},
    {"F11", Command::Pause},
    {"E", Command::Row},
    {"H", Command::Column},
    {"L", Command::LegalMoves},
    {"R", Command::LastTurns},
    {"S", Command::Hint},
    {"[", Command::Slower},
    {"]", Command::Faster},
    {"Minus", Command::Quieter},
    {"Equal", Command::Louder},
    {"Plus", Command::Louder},  // the keypad's plus
    {"Backspace", Command::TakeBack},
};

// The Russian letters by their place on the keyboard: the capital letter's
// code and the Latin key in its place.
constexpr std::array<std::pair<char32_t, char>, 33> kCyrillic{{
    {U'Й', 'Q'}, {U'Ц', 'W'},  {U'У', 'E'}, {U'К', 'R'}, {U'Е', 'T'}, {U'Н', 'Y'}, {U'Г', 'U'},
    {U'Ш', 'I'}, {U'Щ', 'O'},  {U'З', 'P'}, {U'Х', '['}, {U'Ъ', ']'}, {U'Ф', 'A'}, {U'Ы', 'S'},
    {U'В', 'D'}, {U'А', 'F'},  {U'П', 'G'}, {U'Р', 'H'}, {U'О', 'J'}, {U'Л', 'K'}, {U'Д', 'L'},
    {U'Ж', ';'}, {U'Э', '\''}, {U'Ё', '`'}, {U'Я', 'Z'}, {U'Ч', 'X'}, {U'С', 'C'}, {U'М', 'V'},
    {U'И', 'B'}, {U'Т', 'N'},  {U'Ь', 'M'}, {U'Б', ','}, {U'Ю', '.'},
}};

}  // namespace

std::optional<Command> BoardCommand(std::string_view key) {
    for (const auto& [bound, command] : kBoardKeys) {
        if (bound == key) {
            return command;
        }
    }
    return std::nullopt;
}

std::optional<Command> PanelCommand(std::string_view key) {
    return key == "F11" ? std::optional(Command::Resume) : std::nullopt;
}

char LatinKeyOfCyrillic(char32_t capital) {
    for (const auto& [letter, latin] : kCyrillic) {
        if (letter == capital) {
            return latin;
        }
    }
    return 0;
}

}  // namespace korvel
