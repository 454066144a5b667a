#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "opponent/ComputerMove.h"
#include "opponent/RandomSource.h"
#include "rules/Rules.h"

namespace korvel::reference {

// One ply of a line: the cell and the number of discs it turns. A ply that was
// not played (the line ended before it) is all zero.
struct PlyTriple {
    std::int8_t col = 0;
    std::int8_t row = 0;
    std::int8_t flips = 0;

    static PlyTriple of(int col, int row, int flips) {
        return {static_cast<std::int8_t>(col), static_cast<std::int8_t>(row),
                static_cast<std::int8_t>(flips)};
    }
    bool missing() const { return col == 0; }
    bool operator==(const PlyTriple&) const = default;
};

// One line of the look-ahead: a triple per ply, `depth` of them.
struct LineRecord {
    std::array<PlyTriple, 6> plies{};
    std::int8_t depth = 0;
};

// The written-out form of a record: column digit, row digit and flip count of
// every ply, "000" for each ply not played.
std::string RecordText(const LineRecord& record);

// The opponent done the slow, literal way: a working board tested cell by
// cell, every line of the look-ahead listed as a record in the order it is
// produced, the positions of the current line kept in per-ply stacks whose
// slots are never reused, and the move chosen by walking the list. It is the
// measure the fast opponent is held to, in tests and in the benchmark.
//
// Two repairs are shared with the fast opponent: the per-ply stacks have no
// upper limit (it records whether the old limits would have been passed) and
// nothing is ever shown in a box; an opening cell that is not a legal move is
// skipped so that the other rules choose.
class ReferenceOpponent {
  public:
    OpponentMove computerMove(const Board& board, int level, int moveNumber, int firstPlayer,
                              RandomSource& random);

    // The steps of a look-ahead, for tests that look inside it.
    void loadWorkBoard(const Board& board);
    void saveRoot();
    void lookAhead(int depth);
    OpponentMove chooseFromLines(int level, RandomSource& random);

    const std::vector<LineRecord>& lineList() const { return m_lines; }
    std::vector<LineRecord>& lineList() { return m_lines; }
    void setDiscsOnBoard(int discs) { m_discsOnBoard = discs; }
    const Board& workBoard() const { return m_workBoard; }
    const Board& rootCopy() const { return m_rootCopy; }
    // Positions stored after ply 1..5 during the last search.
    long plyCounter(int ply) const { return m_plyCounter[static_cast<std::size_t>(ply)]; }
    // True when the last search stored more positions at some ply than the
    // old stacks could hold (32,767 at 4 plies, 640,000 at 6).
    bool overCapacity() const { return m_overCapacity; }
    // The class of the move chosen by the last chooseFromLines from the
    // classes of the moves, -1 when it chose otherwise.
    int chosenClass() const { return m_chosenClass; }
    // Bytes held by the line list and the position stacks after the last search.
    std::size_t heldBytes() const;

  private:
    int testMove(int col, int row, int player);
    void applyTested(int col, int row, int player);
    void restoreRoot() { m_workBoard = m_rootCopy; }
    void storePosition(int stack, long slot);
    void loadPosition(int stack, long slot);
    bool expand(int ply);
    // Appends the current line, played up to ply `plies`, the rest missing.
    void appendLine(int plies);
    std::string candidateSelection(const std::array<std::array<int, 2>, 4>& cells);

    Board m_workBoard;
    Board m_rootCopy;
    FlipMask m_workFlipMask;
    int m_discsOnBoard = 0;
    std::array<std::array<std::int32_t, 3>, 4> m_cornerTable{};

    int m_depth = 0;
    bool m_hasStacks = false;
    long m_capacity = 0;
    bool m_overCapacity = false;
    std::array<std::vector<Board>, 6> m_stacks;  // index = ply 1..5
    std::array<long, 6> m_plyCounter{};
    std::array<PlyTriple, 6> m_prefix{};
    std::vector<LineRecord> m_lines;
    int m_chosenClass = -1;
};

}  // namespace korvel::reference
