#pragma once

#include <QLabel>
#include <QWidget>
#include <array>
#include <functional>

#include "core/ProgramFolders.h"
#include "game/Game.h"

namespace korvel {

class BoardPicture;
class DialogHost;
class PlayerPanel;

// The board's window: the picture of the game in progress, the players'
// panels and the pause notice. It owns the game and is its view: it draws what
// the game reports, turns the physical keys into the game's commands, and
// shows the game's questions as dialogs whose answers resume the game.
class BoardControl : public QWidget, public GameView {
  public:
    BoardControl(Clock& clock, Settings& settings, RandomSource& random, DialogHost& dialogs,
                 Folders folders, QWidget* parent = nullptr);
    ~BoardControl() override;

    Game& game() { return m_game; }
    const Game& game() const { return m_game; }
    // The name on a player's panel, as shown.
    QString shownName(int player) const;
    void focusBoard();

    // Where the board hands control back to the program.
    std::function<void()> onBackToMenu;
    // F1: shows the rules in the help window under `title` and calls `closed`
    // once the player closes it. The program's assembly knows where the rules are.
    std::function<void(const QString& title, std::function<void()> closed)> onHelp;

    // GameView
    void discsChanged() override;
    void holdPicture(bool held) override;
    void cursorMoved(int col, int row) override;
    void cursorFramesShown(bool first, bool second) override;
    void playerShown(int player, int moveNumber) override;
    void nameShown(int player, const std::string& name) override;
    void clockShown(bool shown) override;
    void secondsLeftShown(int player, int seconds) override;
    void turnMarkBlinked() override;
    void turnMarksHidden() override;
    void pauseShown(bool shown, int player) override;
    void keyboardToBoard() override;
    void ask(const Question& question, std::function<void(int)> answer) override;
    void chooseSaveSlot(std::function<void(std::string)> answer) override;
    void showHelp(std::function<void(bool)> answer) override;
    void backToMenu() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void boardKey(QKeyEvent& event);
    void panelKey(QKeyEvent& event);

    DialogHost& m_dialogs;
    Game m_game;
    BoardPicture* m_picture = nullptr;
    std::array<PlayerPanel*, 2> m_panels{};
    QLabel* m_pauseNotice = nullptr;
};

}  // namespace korvel
