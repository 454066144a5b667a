#pragma once

#include "rules/Rules.h"

namespace korvel {

class Announcer;

// Says what lies on the board, for the reading keys: a cell, the legal moves,
// a row or a column, the disc counts, the free cells and the master level's
// hint. Each report cuts the announcer first; a cell is said as its column
// letter's phrase and its row's number. It borrows the announcer.
class BoardReader {
  public:
    BoardReader(Announcer& announcer, const Board& board)
        : m_announcer(announcer), m_board(board) {}

    void cellName(int col, int row);
    // The cell's name, and the disc on it.
    void cell(int col, int row);
    // L: the number of moves of `player`, then each cell, column by column.
    void legalMoves(int player);
    // E and H: the row or the column through the cell, each disc with its colour.
    void line(int col, int row, bool wholeRow);
    // S: where the master level would play for `player`, and the discs it turns.
    void hint(int player, int moveNumber);
    // X and C.
    void discCounts();
    void freeCells();

  private:
    Announcer& m_announcer;
    const Board& m_board;
};

}  // namespace korvel
