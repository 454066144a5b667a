#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "records/SavedGameRecord.h"

namespace korvel {

class Announcer;
class Game;
class Settings;

// What the menu hands to the game: the player's choices, kept in the settings
// file's [Menu] section, and the two ways from the menu onto the board (a
// game of those choices, a saved game).
struct MenuChoices {
    std::int16_t opponent = 1;  // 1 two players, 2 against the computer
    std::int16_t gameType = 1;  // 1..4
    std::int16_t minutes = 0;   // minutes per move, 1..10; 0 untimed
    std::int16_t level = 0;     // 1..4
};

// The stored choices, a value out of its range read as 0 (nothing chosen);
// the game takes its stored pause between turned discs (kept within 0..1000
// ms) and its music switch.
MenuChoices LoadStoredChoices(const Settings& settings, Game& game);
// The start item: the choices are stored, a two-player game takes the
// settings' names, and the game of those choices begins.
void BeginChosenGame(Settings& settings, Game& game, const MenuChoices& choices);
// The load item's first step: the saved games of the user folder, or none
// (with "noload" said) when not one of them can be loaded.
std::vector<SlotFile> GamesToLoad(const std::filesystem::path& userFolder, Announcer& announcer);
// A chosen saved game goes on. Names are not saved: a two-player game gets
// those of the settings.
void PlaySavedGame(const Settings& settings, Game& game, const std::string& record);

}  // namespace korvel
