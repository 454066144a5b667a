#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <utility>

#include "rules/Rules.h"

namespace korvel {

// The largest start position read, 64 KiB: all 64 cells named on its lines
// take under 200 bytes, so this leaves any hand-written spacing room; a larger
// file reads as an unreadable one (no line at all).
inline constexpr std::size_t kMaxStartPositionBytes = 64 * 1024;

// Reads a hand-written start position: line 1 the white cells, line 2 the
// black cells (names such as "d4" separated by single spaces; only a name's
// first and last character count; names off the board are skipped), line 3
// the player who moves first. Fills `board`, which the caller has emptied.
// Returns 1 or 2; a third line that is missing, empty or not 1 or 2 gives 1.
// A position in which the game is already over (no disc of one player, or
// no empty cell) is damaged: the board gets the standard position, white
// first, as when there is no file.
int ReadStartPosition(const std::filesystem::path& file, Board& board);

// The player's start.txt in `folder`, when there is one: its discs and first
// mover, read as above.
std::optional<std::pair<Board, int>> StartFileIn(const std::filesystem::path& folder);

}  // namespace korvel
