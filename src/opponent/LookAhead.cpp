#include "opponent/LookAhead.h"

#include <algorithm>
#include <array>
#include <vector>

namespace korvel::detail {
namespace {

using bits::Bits;
using bits::CellBit;
using bits::Position;

constexpr Bits kCorners = CellBit(1, 1) | CellBit(1, 8) | CellBit(8, 1) | CellBit(8, 8);
constexpr Bits kInnerCorners = CellBit(3, 3) | CellBit(3, 6) | CellBit(6, 3) | CellBit(6, 6);
constexpr Bits kInnerSides = CellBit(3, 4) | CellBit(3, 5) | CellBit(4, 3) | CellBit(4, 6) |
                             CellBit(5, 3) | CellBit(5, 6) | CellBit(6, 4) | CellBit(6, 5);
constexpr Bits kCSquares = CellBit(1, 2) | CellBit(1, 7) | CellBit(2, 1) | CellBit(2, 8) |
                           CellBit(7, 1) | CellBit(7, 8) | CellBit(8, 2) | CellBit(8, 7);
constexpr Bits kXSquares = CellBit(2, 2) | CellBit(2, 7) | CellBit(7, 2) | CellBit(7, 7);

constexpr Bits EdgeCells() {
    Bits b = 0;
    for (int i = 2; i <= 7; ++i) {
        b |= CellBit(1, i) | CellBit(8, i) | CellBit(i, 1) | CellBit(i, 8);
    }
    return b;
}
constexpr Bits kEdges = EdgeCells();

// The rating a cell of the person earns at one ply, by the kind of cell. The
// values fall from corner to inner side at every ply.
struct PlyValues {
    int ply;
    int corner;
    int edge;
    int innerCorner;
    int innerSide;
};

// The highest value `cells` earn.
int ValueOf(Bits cells, const PlyValues& v) {
    if (cells & kCorners) {
        return v.corner;
    }
    if (cells & kEdges) {
        return v.edge;
    }
    if (cells & kInnerCorners) {
        return v.innerCorner;
    }
    if (cells & kInnerSides) {
        return v.innerSide;
    }
    return 0;
}

// The person's plies a level watches, nearest first. Every value at a ply is
// above every value at a later ply, so once a move earns anything at one ply
// the later plies cannot change its rating.
struct LevelRules {
    int depth;
    bool watchOwnCell;  // the C- and X-square penalty on the computer's own move
    std::array<PlyValues, 3> plies;
    int plyCount;
};

constexpr LevelRules kLevel2{2, false, {{{2, 4, 3, 2, 1}}}, 1};
constexpr LevelRules kLevel3{4, false, {{{2, 8, 7, 6, 5}, {4, 4, 3, 2, 1}}}, 2};
constexpr LevelRules kLevel4{6, true, {{{2, 14, 11, 10, 9}, {4, 8, 7, 6, 5}, {6, 4, 3, 2, 1}}}, 3};

constexpr int kGivenUp = -1;

// Rates the computer's moves against a common cut-off, walking the lines of one
// move at a time down to the ply being looked at.
class Rater {
  public:
    Rater(Bits blocked, const LevelRules& rules) : m_blocked(blocked), m_rules(rules) {}

    // The rating of a move whose position after ply 1 is `afterFirst`, given
    // the rating earned at plies 1 and 2 (`nearRating`); kGivenUp when it is
    // found to exceed `cutoff`.
    int rate(const Position& afterFirst, int nearRating, int cutoff) {
        m_rating = nearRating;
        m_cutoff = cutoff;
        for (int i = 1; i < m_rules.plyCount; ++i) {
            const PlyValues& v = m_rules.plies[static_cast<std::size_t>(i)];
            if (m_rating > m_cutoff) {
                return kGivenUp;
            }
            if (m_rating >= v.corner) {
                break;
            }
            scan(afterFirst, 2, v);
        }
        return m_rating > m_cutoff ? kGivenUp : m_rating;
    }

  private:
    // Raises the rating by the person's cells at ply `v.ply` in every line
    // through `p`, the position before ply `ply`. A line ends where its player
    // has no move. Returns false once nothing more is to be learnt: the rating
    // is past the cut-off or at the top of this ply's values.
    bool scan(const Position& p, int ply, const PlyValues& v) {
        const int player = ply % 2 == 1 ? 2 : 1;
        const Bits own = p.of(player);
        const Bits opp = p.of(3 - player);
        Bits moves = bits::LegalMoves(own, opp, ~(own | opp | m_blocked));
        if (ply == v.ply) {
            m_rating = std::max(m_rating, ValueOf(moves, v));
            return m_rating <= m_cutoff && m_rating < v.corner;
        }
        while (moves) {
            const Bits move = moves & (~moves + 1);
            moves &= moves - 1;
            const Position next = bits::Played(p, player, move, bits::Flips(own, opp, move));
            if (!scan(next, ply + 1, v)) {
                return false;
            }
        }
        return true;
    }

    Bits m_blocked;
    const LevelRules& m_rules;
    int m_rating = 0;
    int m_cutoff = 0;
};

// True when the lines from `p` (the position after ply 1) make a single line:
// every ply up to `depth` has at most one move, and the line ends at the first
// ply without one.
bool SingleLine(Position p, Bits blocked, int depth) {
    for (int ply = 2; ply <= depth; ++ply) {
        const int player = ply % 2 == 1 ? 2 : 1;
        const Bits own = p.of(player);
        const Bits opp = p.of(3 - player);
        const Bits moves = bits::LegalMoves(own, opp, ~(own | opp | blocked));
        if (moves == 0) {
            return true;
        }
        if (bits::Count(moves) > 1) {
            return false;
        }
        p = bits::Played(p, player, moves, bits::Flips(own, opp, moves));
    }
    return true;
}

struct Candidate {
    int bit;
    Position after;
    int rating;
};

// The computer's moves from the root in column order, each with the position
// after it and the person's replies there. At most 33 moves are possible (each
// needs an empty cell next to one of at least four discs); fixed arrays keep
// the choice free of the heap.
struct Candidates {
    std::array<Candidate, 64> list;
    std::array<Bits, 64> replies;
    std::array<int, 64> order;  // indices into `list`, lowest near rating first
    int count = 0;

    Candidate& at(int i) { return list[static_cast<std::size_t>(i)]; }
    const Candidate& at(int i) const { return list[static_cast<std::size_t>(i)]; }
    Bits repliesTo(int i) const { return replies[static_cast<std::size_t>(i)]; }
    int& orderAt(int k) { return order[static_cast<std::size_t>(k)]; }
};

void Collect(const Position& root, Bits blocked, Candidates& c) {
    Bits moves = bits::LegalMoves(root.black, root.white, ~(root.white | root.black | blocked));
    while (moves) {
        const int bit = bits::LowestBit(moves);
        const Bits move = Bits{1} << bit;
        moves &= moves - 1;
        const Position after =
            bits::Played(root, 2, move, bits::Flips(root.black, root.white, move));
        c.replies[static_cast<std::size_t>(c.count)] =
            bits::LegalMoves(after.white, after.black, ~(after.white | after.black | blocked));
        c.at(c.count) = {bit, after, 0};
        ++c.count;
    }
}

// The rating from the computer's own cell and the person's replies; the order
// of the moves by that rating, equal ones in column order.
void RateNear(Candidates& c, const LevelRules& rules) {
    for (int i = 0; i < c.count; ++i) {
        Candidate& move = c.at(i);
        const Bits own = Bits{1} << move.bit;
        int rating = 0;
        if (rules.watchOwnCell) {
            rating = (own & kXSquares) ? 13 : (own & kCSquares) ? 12 : 0;
        }
        move.rating = std::max(rating, ValueOf(c.repliesTo(i), rules.plies[0]));
        c.orderAt(i) = i;
    }
    // Insertion sort: stable, and free of the heap for a few dozen moves.
    for (int i = 1; i < c.count; ++i) {
        const int moving = c.orderAt(i);
        const int rating = c.at(moving).rating;
        int j = i;
        for (; j > 0 && c.at(c.orderAt(j - 1)).rating > rating; --j) {
            c.orderAt(j) = c.orderAt(j - 1);
        }
        c.orderAt(j) = moving;
    }
}

// The deeper plies, taking the moves with the lowest near rating first so that
// the cut-off is low early. Returns the lowest rating; a move found above it
// is marked kGivenUp.
int RateDeep(Candidates& c, Bits blocked, const LevelRules& rules) {
    Rater rater(blocked, rules);
    int lowest = 1 << 30;
    for (int k = 0; k < c.count; ++k) {
        Candidate& move = c.at(c.orderAt(k));
        if (move.rating > lowest) {
            move.rating = kGivenUp;
            continue;
        }
        move.rating = rater.rate(move.after, move.rating, lowest);
        if (move.rating != kGivenUp) {
            lowest = std::min(lowest, move.rating);
        }
    }
    return lowest;
}

std::string TextOf(int bit) {
    return MoveText(bits::ColumnOf(bit), bits::RowOf(bit));
}

// A move rated `lowest`: the only one, or one drawn from `random`.
OpponentMove PickLowest(const Candidates& c, int lowest, RandomSource& random) {
    std::array<int, 64> best;
    int bestCount = 0;
    for (int i = 0; i < c.count; ++i) {
        if (c.at(i).rating == lowest) {
            best[static_cast<std::size_t>(bestCount++)] = c.at(i).bit;
        }
    }
    if (bestCount == 1) {
        return {TextOf(best[0]), false};
    }
    const double r = random.next();
    const int pick = std::clamp(static_cast<int>(r * bestCount), 0, bestCount - 1);
    return {TextOf(best[static_cast<std::size_t>(pick)]), false};
}

}  // namespace

OpponentMove ChooseByLookAhead(const Position& root, Bits blocked, int level,
                               RandomSource& random) {
    const LevelRules* rules = level == 2 ? &kLevel2 : level == 3 ? &kLevel3 : &kLevel4;
    if (level < 2 || level > 4) {
        return {};
    }
    Candidates candidates;
    Collect(root, blocked, candidates);
    if (candidates.count == 0) {
        return {};
    }

    // Fewer than two lines in all: the choice is left to the board.
    if (candidates.count == 1 && SingleLine(candidates.at(0).after, blocked, rules->depth)) {
        return {};
    }

    // A move that leaves the person no reply is played and announced. The
    // reference also asks for fewer than 63 discs on the board before the
    // phrase; that always holds here: with 63 discs there is one free cell, so
    // one move and one line, and the choice has already gone to the board.
    for (int i = 0; i < candidates.count; ++i) {
        if (candidates.repliesTo(i) == 0) {
            return {TextOf(candidates.at(i).bit), true};
        }
    }

    RateNear(candidates, *rules);
    return PickLowest(candidates, RateDeep(candidates, blocked, *rules), random);
}

}  // namespace korvel::detail
