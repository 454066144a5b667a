#pragma once

#include <QWidget>
#include <functional>

#include "game/Game.h"

namespace korvel {

// The board picture, Pict: the 8 x 8 cells of 81 units (row 1 at the bottom),
// the discs and the two blinking cursor frames, blue and orange.
// It holds the keyboard during play and hands every key to `onKey`. It draws
// the board it is given and owns nothing else.
class BoardPicture : public QWidget {
  public:
    static constexpr int kCell = 81;
    static constexpr int kSide = 8 * kCell;

    BoardPicture(const Board& board, QWidget* parent);

    void setCursor(int col, int row);
    // Which of the cursor's two frames show.
    void setCursorImages(bool blue, bool orange);

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
    bool m_blueFrame = true;
    bool m_orangeFrame = false;
};

}  // namespace korvel
