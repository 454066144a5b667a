#include "ReferenceOpponent.h"

#include <algorithm>
#include <set>

namespace korvel::reference {
namespace {

const std::set<std::string> kCorners = {"11", "18", "81", "88"};
const std::set<std::string> kEdges = {"12", "13", "14", "15", "16", "17", "21", "31",
                                      "41", "51", "61", "71", "28", "38", "48", "58",
                                      "68", "78", "82", "83", "84", "85", "86", "87"};
const std::set<std::string> kInnerCorners = {"33", "36", "63", "66"};
const std::set<std::string> kInnerSides = {"34", "35", "43", "46", "53", "56", "64", "65"};
const std::set<std::string> kCSquares = {"12", "17", "21", "28", "71", "78", "82", "87"};
const std::set<std::string> kXSquares = {"22", "27", "72", "77"};

struct ClassRule {
    int level;
    int ply;
    const std::set<std::string>* cells;
    int value;
};

const std::vector<ClassRule> kRules = {
    {2, 2, &kCorners, 4},      {2, 2, &kEdges, 3},         {2, 2, &kInnerCorners, 2},
    {2, 2, &kInnerSides, 1},   {3, 4, &kCorners, 4},       {3, 4, &kEdges, 3},
    {3, 4, &kInnerCorners, 2}, {3, 4, &kInnerSides, 1},    {3, 2, &kCorners, 8},
    {3, 2, &kEdges, 7},        {3, 2, &kInnerCorners, 6},  {3, 2, &kInnerSides, 5},
    {4, 6, &kCorners, 4},      {4, 6, &kEdges, 3},         {4, 6, &kInnerCorners, 2},
    {4, 6, &kInnerSides, 1},   {4, 4, &kCorners, 8},       {4, 4, &kEdges, 7},
    {4, 4, &kInnerCorners, 6}, {4, 4, &kInnerSides, 5},    {4, 2, &kCorners, 14},
    {4, 2, &kEdges, 11},       {4, 2, &kInnerCorners, 10}, {4, 2, &kInnerSides, 9},
    {4, 1, &kCSquares, 12},    {4, 1, &kXSquares, 13},
};

int HighestClass(int level) {
    return level == 2 ? 4 : level == 3 ? 8 : 14;
}

std::string TripleCell(const PlyTriple& t) {
    return MoveText(t.col, t.row);
}

}  // namespace

std::string RecordText(const LineRecord& record) {
    std::string text;
    for (int i = 0; i < record.depth; ++i) {
        const PlyTriple& t = record.plies[static_cast<std::size_t>(i)];
        text += std::to_string(t.col) + std::to_string(t.row) + std::to_string(t.flips);
    }
    return text;
}

OpponentMove ReferenceOpponent::computerMove(const Board& board, int level, int moveNumber,
                                             int firstPlayer, RandomSource& random) {
    m_chosenClass = -1;
    if (firstPlayer == 2 && moveNumber == 1) {
        const double r = random.next();
        const int k = std::clamp(static_cast<int>(4 * r), 0, 3);
        static const std::array<std::array<int, 2>, 4> opening = {{{4, 3}, {3, 4}, {5, 6}, {6, 5}}};
        const auto& cell = opening[static_cast<std::size_t>(k)];
        loadWorkBoard(board);
        if (testMove(cell[0], cell[1], 2) > 0) {
            return {MoveText(cell[0], cell[1]), false};
        }
    }
    if (level == 1) {
        return {};
    }
    loadWorkBoard(board);
    std::string corner = candidateSelection({{{1, 1}, {1, 8}, {8, 1}, {8, 8}}});
    if (!corner.empty()) {
        return {corner, false};
    }
    std::string inner = candidateSelection({{{3, 3}, {3, 6}, {6, 3}, {6, 6}}});
    if (!inner.empty()) {
        return {inner, false};
    }
    saveRoot();
    if (level < 2 || level > 4) {
        return {};
    }
    lookAhead(level * 2 - 2);
    return chooseFromLines(level, random);
}

std::string ReferenceOpponent::candidateSelection(const std::array<std::array<int, 2>, 4>& cells) {
    for (std::size_t i = 0; i < 4; ++i) {
        m_cornerTable[i] = {cells[i][0], cells[i][1], testMove(cells[i][0], cells[i][1], 2)};
    }
    std::int32_t best = 0;
    std::string result;
    for (const auto& row : m_cornerTable) {
        if (row[2] > best) {
            best = row[2];
            result = MoveText(row[0], row[1]);
        }
    }
    return result;
}

void ReferenceOpponent::loadWorkBoard(const Board& board) {
    m_workBoard = board;
    m_discsOnBoard = static_cast<int>(std::count_if(board.cells.begin(), board.cells.end(),
                                                    [](CellCode c) { return c == 1 || c == 2; }));
}

void ReferenceOpponent::saveRoot() {
    m_rootCopy = m_workBoard;
}

// The board's own rule on the working board and mask: an occupied cell gives 0
// and leaves the mask as it was.
int ReferenceOpponent::testMove(int col, int row, int player) {
    return CountFlips(m_workBoard, col, row, player, m_workFlipMask);
}

void ReferenceOpponent::applyTested(int col, int row, int player) {
    m_workBoard.at(col, row) = static_cast<CellCode>(player);
    for (std::size_t i = 0; i < m_workBoard.cells.size(); ++i) {
        if (m_workFlipMask.cells[i] == player) {
            m_workBoard.cells[i] = static_cast<CellCode>(player);
        }
    }
}

void ReferenceOpponent::storePosition(int stack, long slot) {
    std::vector<Board>& s = m_stacks[static_cast<std::size_t>(stack)];
    if (slot > m_capacity) {
        m_overCapacity = true;
    }
    if (static_cast<std::size_t>(slot) >= s.size()) {
        s.resize(static_cast<std::size_t>(slot) + 1);
    }
    s[static_cast<std::size_t>(slot)] = m_workBoard;
}

void ReferenceOpponent::loadPosition(int stack, long slot) {
    m_workBoard = m_stacks[static_cast<std::size_t>(stack)][static_cast<std::size_t>(slot)];
}

void ReferenceOpponent::lookAhead(int depth) {
    m_depth = depth;
    m_lines.clear();
    m_plyCounter.fill(0);
    m_prefix = {};
    m_overCapacity = false;
    m_hasStacks = depth > 2;
    m_capacity = depth == 4 ? 32767 : 640000;
    for (auto& s : m_stacks) {
        s.clear();
        s.shrink_to_fit();
        if (m_hasStacks) {
            s.resize(1);
        }
    }
    expand(1);
}

bool ReferenceOpponent::expand(int ply) {
    const int player = ply % 2 == 1 ? 2 : 1;
    const std::size_t k = static_cast<std::size_t>(ply);
    bool found = false;
    for (int col = 1; col <= kBoardSize; ++col) {
        for (int row = 1; row <= kBoardSize; ++row) {
            const int flips = testMove(col, row, player);
            if (flips > 0) {
                found = true;
                m_prefix[k - 1] = PlyTriple::of(col, row, flips);
                if (ply == m_depth) {
                    appendLine(ply);
                } else {
                    applyTested(col, row, player);
                    if (m_hasStacks) {
                        ++m_plyCounter[k];
                        storePosition(ply, m_plyCounter[k]);
                    }
                    if (!expand(ply + 1)) {
                        appendLine(ply);
                    }
                }
            }
            if (ply < m_depth) {
                if (ply == 1) {
                    restoreRoot();
                } else {
                    loadPosition(ply - 1, m_plyCounter[k - 1]);
                }
            }
        }
    }
    return found;
}

void ReferenceOpponent::appendLine(int plies) {
    LineRecord record;
    record.depth = static_cast<std::int8_t>(m_depth);
    record.plies = m_prefix;
    for (std::size_t i = static_cast<std::size_t>(plies); i < record.plies.size(); ++i) {
        record.plies[i] = {};
    }
    m_lines.push_back(record);
}

OpponentMove ReferenceOpponent::chooseFromLines(int level, RandomSource& random) {
    m_chosenClass = -1;
    if (m_lines.size() < 2) {
        return {};
    }
    for (const LineRecord& record : m_lines) {
        if (record.plies[1].missing()) {
            return {TripleCell(record.plies[0]), m_discsOnBoard < 63};
        }
    }

    struct MoveGroup {
        PlyTriple move;
        std::int32_t dangerClass = 0;
    };
    std::vector<MoveGroup> groups;
    for (const LineRecord& record : m_lines) {
        if (groups.empty() || !(groups.back().move == record.plies[0])) {
            groups.push_back({record.plies[0], 0});
        }
        for (const ClassRule& rule : kRules) {
            if (rule.level != level) {
                continue;
            }
            const PlyTriple& t = record.plies[static_cast<std::size_t>(rule.ply - 1)];
            if (t.missing()) {
                continue;
            }
            if (rule.cells->count(TripleCell(t)) != 0 && groups.back().dangerClass < rule.value) {
                groups.back().dangerClass = rule.value;
            }
        }
    }

    for (int c = 0; c <= HighestClass(level); ++c) {
        std::vector<const MoveGroup*> same;
        for (const MoveGroup& g : groups) {
            if (g.dangerClass == c) {
                same.push_back(&g);
            }
        }
        if (same.empty()) {
            continue;
        }
        m_chosenClass = c;
        if (same.size() == 1) {
            return {TripleCell(same[0]->move), false};
        }
        const double r = random.next();
        const int n = static_cast<int>(same.size());
        const int i = std::clamp(static_cast<int>(r * n) + 1, 1, n);
        return {TripleCell(same[static_cast<std::size_t>(i - 1)]->move), false};
    }
    // Not reached with two or more records; the board then plays its greedy cell.
    return {};
}

std::size_t ReferenceOpponent::heldBytes() const {
    std::size_t bytes = m_lines.capacity() * sizeof(LineRecord);
    for (const auto& s : m_stacks) {
        bytes += s.capacity() * sizeof(Board);
    }
    return bytes;
}

}  // namespace korvel::reference
