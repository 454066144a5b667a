#pragma once

#include <cstdint>
#include <deque>

#include "game/TurnRule.h"

namespace korvel {

// What the other side of a network game did, kept in order until its turn,
// and checked with our own rules when it is played.
class RemoteMoves {
  public:
    using Kind = TurnKind;
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

  private:
    std::deque<Turn> m_turns;
};

}  // namespace korvel
