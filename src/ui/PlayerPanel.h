#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

namespace korvel {

// A player's panel: the name, "ХОДИТ:", the move label, the clock and the
// blinking whose-turn mark. Shown while its player is to move; during a pause it holds the keyboard
// and hands every key to `onKey`.
class PlayerPanel : public QWidget {
  public:
    PlayerPanel(int index, QWidget* parent);

    QLabel* name;
    QLabel* turnLabel;
    QLabel* moveLabel;
    QLabel* clockLabel;
    QWidget* turnMark;

    std::function<void(QKeyEvent*)> onKey;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};

}  // namespace korvel
