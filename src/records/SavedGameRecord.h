#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/Rules.h"

namespace korvel {

// The values of a game in progress that a saved game keeps. The number of games in a match, the
// first mover, the pass count, the player names and the settings are not kept.
struct SavedGame {
    int game = 1;                     // 1 two players, 2 against the computer
    int gameType = 1;                 // game type 1..4
    int stage = 1;                    // game of a staged match, 1..9
    int times = 0;                    // seconds per move, 0 untimed
    int timeLeft = 0;                 // seconds left for the current move
    int moveNumber = 1;               // of the game under way
    int curPlayer = 1;                // 1 or 2
    int cursorCol = 1;                // 1..8
    int cursorRow = 1;                // 1..8
    std::array<int, 2> points{};      // match points of players 1 and 2
    std::array<int, 2> discTotals{};  // weighted disc totals of players 1 and 2
    int level = 0;                    // computer level, 0 when none
    Board board;

    bool operator==(const SavedGame&) const = default;
};

inline constexpr std::size_t kRecordLength = 92;

// The 92-character record: fixed-width decimal and upper-case hexadecimal
// fields followed by the 64 cells. A move number above 99 is stored as 99.
// Values out of their field's range are clamped into it, so the record is
// always one that ParseRecord accepts.
std::string BuildRecord(const SavedGame& game);

// Reads a decoded record back. Nothing when it is not exactly 92 characters
// or any field is malformed or out of its range (such a file is not offered
// for loading).
std::optional<SavedGame> ParseRecord(std::string_view record);

// The saved-game folder in the user folder, and the file of a slot:
// Games/lok<slot>.rsg.
std::filesystem::path GamesFolder(const std::filesystem::path& userFolder);
std::string SlotFileName(int slot);

// File bytes of a record (SwapCodes of it; WriteTextFile adds CR LF) and back.
std::string EncodeRecord(std::string_view record);
// The largest slot file read: a record with its line end is 94 bytes, and a
// few hundred leave room for stray blank lines. A larger file is not a saved
// game (it reads as empty, which no record is) and is never loaded whole.
inline constexpr std::size_t kMaxSlotFileBytes = 512;

// Reads a slot file and decodes it; the text may be of any length up to the bound.
std::string ReadSlotFile(const std::filesystem::path& file);
// Writes the record into the file; false when it could not be written.
bool WriteSlotFile(const std::filesystem::path& file, std::string_view record);

// The slot number a file name stands for: "lok7.rsg" gives 7. Nothing for a
// name that matches "lok*.rsg" without carrying a number in the slot's own
// spelling ("lok.rsg", "lokA.rsg", "lok07.rsg"): such a file is no slot.
std::optional<int> SlotNumber(std::string_view fileName);

// One slot file of the Games folder: its number and its decoded text.
struct SlotFile {
    int slot = 0;
    std::string record;

    // The stage digit (the record's third character), or 0 when the text has
    // no digit there.
    char stage() const;
    // A record that parses and holds a game still to be played: one already
    // over (no disc of one player, or no empty cell) is damaged as well.
    bool valid() const;
};

// The slot files in the user folder, sorted by slot number; files without a
// slot number are left out. A missing folder gives none.
std::vector<SlotFile> ListSlots(const std::filesystem::path& userFolder);

// The slot a new save goes into: one past the highest existing slot, so that
// it never replaces a saved game.
int NewSlot(const std::vector<SlotFile>& slots);

}  // namespace korvel
