#pragma once

#include "rules/Rules.h"

namespace korvel {

// The position at the table: the discs, the player to move and the move
// number, the passes in a row, and the cursor. A move's turned discs are
// marked here when the move is judged, and turned from here as it is played.
class Position {
  public:
    const Board& board() const { return m_board; }
    int mover() const { return m_mover; }
    int moveNumber() const { return m_moveNumber; }
    // The passes in a row; -1 right after a move, so that the first pass
    // counts 0 and the second ends the game.
    int passes() const { return m_passes; }
    int cursorCol() const { return m_cursorCol; }
    int cursorRow() const { return m_cursorRow; }
    const FlipMask& flips() const { return m_flips; }
    // The discs the mover would turn at (col, row), marked for playing; 0 refuses the move.
    int markFlips(int col, int row) { return CountFlips(m_board, col, row, m_mover, m_flips); }
    // Where a judge of the other side's turn leaves its turned discs.
    FlipMask& flipsToMark() { return m_flips; }

    void setBoard(const Board& board) { m_board = board; }
    void clearBoard() { m_board.clear(); }
    void place(int col, int row, CellCode code) { m_board.at(col, row) = code; }
    void setMover(int player) { m_mover = player; }
    void setMoveNumber(int number) { m_moveNumber = number; }
    void passed() { ++m_passes; }
    // A move was played (or a game begins): no passes stand.
    void forgetPasses() { m_passes = -1; }
    void setPasses(int passes) { m_passes = passes; }
    void setCursor(int col, int row) {
        m_cursorCol = col;
        m_cursorRow = row;
    }

  private:
    Board m_board;
    FlipMask m_flips;
    int m_mover = 1;
    int m_moveNumber = 1;
    int m_passes = 0;
    int m_cursorCol = 4;
    int m_cursorRow = 4;
};

}  // namespace korvel
