#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

namespace korvel {

// A player's panel, Picthod: the name Lname, "ХОДИТ:" (Lhod), the move label
// Lball, the clock Lvrem and the blinking whose-turn indicator Imghod. Shown
// while its player is to move; during a pause it holds the keyboard and hands
// every key to `onKey`.
class PlayerPanel : public QWidget {
  public:
    PlayerPanel(int index, QWidget* parent);

    QLabel* Lname;
    QLabel* Lhod;
    QLabel* Lball;
    QLabel* Lvrem;
    QWidget* Imghod;

    std::function<void(QKeyEvent*)> onKey;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};

}  // namespace korvel
