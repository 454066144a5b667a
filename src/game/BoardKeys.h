#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "game/BoardCommands.h"

namespace korvel {

// What each key of the board means, by the physical key's name under the Latin
// layout: a letter or sign as it is printed on the key ("K", ",", "["), or the
// key's name ("Up", "Space", "Minus", "F11", "Backspace"). The window names the
// physical key it is given, the tests the key they press; both find its command here.
std::optional<Command> BoardCommand(std::string_view key);
// The F11 of the pause's panel, where no other key does anything.
std::optional<Command> PanelCommand(std::string_view key);

// The Latin key in the place of a Russian (ЙЦУКЕН) letter, given as its capital
// letter's code ('Q' for 'Й', '[' for 'Х', ',' for 'Б'); 0 for any other character.
char LatinKeyOfCyrillic(char32_t capital);

}  // namespace korvel
