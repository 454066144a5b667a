#pragma once

#include <QWidget>
#include <functional>

#include "game/Game.h"

namespace korvel {

// The board picture, Pict: the 8 x 8 cells of 81 units (row 1 at the bottom),
// the discs and the two blinking cursor frames Cel1 (blue) and Cel2 (orange).
// It holds the keyboard during play and hands every key to `onKey`. It draws
// the board it is given and owns nothing else.
class BoardPicture : public QWidget {
  public:
    static constexpr int kCell = 81;
    static constexpr int kSide = 8 * kCell;

    BoardPicture(const Board& board, QWidget* parent);

    void setCursor(int col, int row);
    bool cel1Visible() const { return m_cel1; }
    bool cel2Visible() const { return m_cel2; }
    void setCursorImages(bool cel1, bool cel2);

    std::function<void(QKeyEvent*)> onKey;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    static QRect cellRect(int col, int row);

    const Board& m_board;
    int m_col = 4;
    int m_row = 4;
    bool m_cel1 = true;
    bool m_cel2 = false;
};

}  // namespace korvel
