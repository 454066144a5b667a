#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RandomSource.h"
#include "Rules.h"

namespace korvel::testing {

// A board drawn as eight rows, row 8 first, columns a..h from the left:
// '.' empty, 'W' white (player 1), 'B' black (player 2).
Board BoardFrom(const std::vector<std::string>& rows);

// Gives the listed fractions in turn (the last one again when the list runs
// out) and counts the draws.
class ScriptedRandom : public RandomSource {
  public:
    explicit ScriptedRandom(std::vector<double> values) : m_values(std::move(values)) {}
    double next() override;
    int draws() const { return m_draws; }

  private:
    std::vector<double> m_values;
    int m_draws = 0;
};

// A seeded source that counts its draws.
class CountingRandom : public RandomSource {
  public:
    explicit CountingRandom(std::uint32_t seed) : m_random(seed) {}
    double next() override {
        ++m_draws;
        return m_random.next();
    }
    int draws() const { return m_draws; }

  private:
    SeededRandom m_random;
    int m_draws = 0;
};

// Board with the two colours exchanged.
Board Swapped(const Board& board);

// A position met in a game, seen from player 2: when player 1 was to move the
// colours are exchanged.
struct GamePosition {
    Board board;
    int discs = 0;
    bool afterPass = false;  // the player to move came in after the other passed
};

// Every position of one game of random legal moves from the standard opening
// (seeded), in which the player to move can move.
std::vector<GamePosition> RandomGame(std::uint32_t seed);

// A board of random discs with the ring b2..g7 mostly empty and most other
// cells taken (the centre always), the kind of position in which the person's
// replies stay in the ring and the look-ahead has to look deep. Such boards
// can come from a hand-written start position.
Board RingHeavyBoard(std::uint32_t seed);

// True when player 2 can move and some move leaves the person replies only in
// the ring b2..g7 and the centre, so that later plies rate it.
bool NeedsDeepLook(const Board& board);

// True when a corner or an inner corner is a legal move of player 2.
bool TakesAFixedRule(const Board& board);

// Number of lines of a `depth`-ply look-ahead from `board` for player 2,
// counted without listing them; stops counting past `limit`.
long CountLines(const Board& board, int depth, long limit);

}  // namespace korvel::testing
