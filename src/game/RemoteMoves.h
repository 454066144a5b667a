#pragma once

#include <cstdint>
#include <deque>

#include "game/GameTable.h"

namespace korvel {

// What the other side of a network game did, kept in order until its turn,
// and checked with our own rules when it is played.
class RemoteMoves {
  public:
    enum class Kind { Move, Pass, TimeOut };
    struct Turn {
        Kind kind = Kind::Pass;
        int col = 0;
        int row = 0;
        std::int64_t arrivedAt = 0;  // the clock's tickCount when it came
    };

    void add(Turn turn) { m_turns.push_back(turn); }
    void clear() { m_turns.clear(); }
    bool empty() const { return m_turns.empty(); }
    Turn take() {
        const Turn turn = m_turns.front();
        m_turns.pop_front();
        return turn;
    }

    // A time-out only in a timed game, a pass only without a move, a move by
    // the rules (which leave its turned discs in the table's flip mask).
    static bool legal(const Turn& turn, GameTable& table) {
        switch (turn.kind) {
            case Kind::TimeOut:
                return table.match.timed();
            case Kind::Pass:
                return GreedyCell(table.board, table.player) == 0;
            case Kind::Move:
                break;
        }
        return OnBoard(turn.col, turn.row) &&
               CountFlips(table.board, turn.col, turn.row, table.player, table.flipMask) != 0;
    }

  private:
    std::deque<Turn> m_turns;
};

}  // namespace korvel
