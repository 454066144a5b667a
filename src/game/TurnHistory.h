#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "game/Position.h"

namespace korvel {

class Announcer;

// What the game remembers of its turns: each player's latest turn, for R, and
// the points Backspace goes back to, one before each of a person's moves.
class TurnHistory {
  public:
    // A turn: the cell played and the discs it turned; column 0 for a pass
    // (a move lost to the clock counts as one).
    struct Note {
        int col = 0;
        int row = 0;
        int flips = 0;
    };
    struct Notes {
        std::array<std::optional<Note>, 2> byPlayer;
        int lastPlayer = 0;  // who turned most recently, 0 before the first turn
    };
    // The game just before a person's move.
    struct Point {
        Position position;
        int secondsLeft = 0;
        Notes turns;
    };

    const Notes& notes() const { return m_notes; }
    std::size_t depth() const { return m_points.size(); }

    void note(int player, int col, int row, int flips);
    // Keeps `point` (its notes are the history's own, as they are now).
    void keep(Point point);
    // The last point kept, taken off, with the notes of its time back in force.
    std::optional<Point> takeBack();
    void forget();
    // R: the most recent turn first, each with the phrase of its player.
    void say(Announcer& announcer, const std::array<std::string, 2>& playerPhrases) const;

  private:
    Notes m_notes;
    std::vector<Point> m_points;
};

}  // namespace korvel
