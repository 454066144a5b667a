#pragma once

#include <functional>
#include <string>

namespace korvel {

// A question of the game to the player, shown in the message dialog: `style`
// is the dialog's style code (class and buttons); `spoken` names the "Да" and
// "Нет" buttons through the announcer as the player moves between them.
struct Question {
    std::string text;  // UTF-8, lines broken by CR LF
    std::string caption;
    int style = 0;
    bool spoken = false;
};

// What the game in progress shows and asks: the window implements it. The
// game tells it what changed; the view reads the rest (the board, the names)
// from the game when it draws. Questions are answered later, through the
// function given, from the window's own events; the game waits meanwhile.
class GameView {
  public:
    virtual ~GameView() = default;

    // What the picture shows. A view without a picture (the tests' one) leaves
    // them as they are.
    virtual void discsChanged() {}
    // While held, the picture is not redrawn: a move's discs appear as the
    // move goes, not cell by cell between its clicks.
    virtual void holdPicture(bool /*held*/) {}
    virtual void cursorMoved(int /*col*/, int /*row*/) {}
    virtual void cursorFramesShown(bool /*first*/, bool /*second*/) {}
    // The panel of `player` shows with the move number; the other hides.
    virtual void playerShown(int /*player*/, int /*moveNumber*/) {}
    virtual void nameShown(int /*player*/, const std::string& /*name*/) {}
    virtual void clockShown(bool /*shown*/) {}
    // The seconds left on one panel, or on both (player 0).
    virtual void secondsLeftShown(int /*player*/, int /*seconds*/) {}
    // The whose-turn marks: blink on the shown panel, or hide on both.
    virtual void turnMarkBlinked() {}
    virtual void turnMarksHidden() {}
    // The pause: its big notice, and the keyboard on the mover's panel.
    virtual void pauseShown(bool shown, int player) = 0;
    virtual void keyboardToBoard() = 0;

    virtual void ask(const Question& question, std::function<void(int button)> answer) = 0;
    // The save dialog: the slot's name ("lok3"), or "" when cancelled.
    virtual void chooseSaveSlot(std::function<void(std::string slot)> answer) = 0;
    // The rules in the help window; true when it was closed with its button.
    virtual void showHelp(std::function<void(bool closedWithButton)> answer) = 0;
    // The game is left: the program goes back to its menu.
    virtual void backToMenu() = 0;
};

}  // namespace korvel
