#pragma once

#include <array>
#include <string>

#include "rules/Rules.h"

namespace korvel {

class Announcer;

// The score of a game and of a staged match: two points for a win and one
// each for a draw, and the disc totals weighted by the stage. It says each
// result as it is counted and gives the result dialog's caption and text.
// The announcer is borrowed for each call.
class MatchScore {
  public:
    // The players' phrases and their names as the dialogs show them.
    struct Players {
        const std::array<std::string, 2>& phrases;
        const std::array<std::string, 2>& names;
    };
    struct Result {
        std::string caption;
        std::string text;  // lines broken by CR LF
        int winner = 0;    // 0 for a draw
    };

    void clear() { *this = {}; }
    void restore(const std::array<int, 2>& points, const std::array<int, 2>& discTotals) {
        m_points = points;
        m_discTotals = discTotals;
    }
    const std::array<int, 2>& points() const { return m_points; }
    const std::array<int, 2>& discTotals() const { return m_discTotals; }

    // A game ended with `count` at `stage`; in a staged match the score and
    // the totals follow its result.
    Result addGame(const DiscCount& count, int stage, bool staged, Announcer& announcer,
                   const Players& players);
    // The match's verdict by points, else by the weighted disc totals.
    Result verdict(Announcer& announcer, const Players& players) const;

  private:
    std::array<int, 2> m_points{};
    std::array<int, 2> m_discTotals{};
};

}  // namespace korvel
