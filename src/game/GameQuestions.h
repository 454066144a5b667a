#pragma once

#include <string>

#include "game/Steps.h"
#include "game/TableParts.h"

namespace korvel {

// What stops the game to ask the player: quit, help, saving into a slot, the
// pause, and the end of a network game's connection. Each stops the move
// clock, awaits the window's answer, and gives the keyboard back to the board
// when the game goes on. In a network game quit, help and saving stop
// nothing: the other side's clock cannot stop, so ours does not either, and
// the game goes on behind the window.
class GameQuestions {
  public:
    explicit GameQuestions(QuestionTable& table) : m_table(table) {}

    // Esc: "Вы хотите прервать игру?"; yes goes back to the menu.
    Step<> quit();
    // F1: the help window, until it is closed.
    Step<> help();
    // F2: the game so far into a slot the player chooses, said saved,
    // cancelled or failed. Nothing is saved before the first move.
    Step<> save();
    // P: a timed game stops its clock under the pause's panel; F11 resumes it.
    void pause();
    void resume();
    // The network game cannot go on: said and shown with `reason`; the
    // position may be saved, then the menu.
    Step<> lostConnection(std::string phrase, std::string reason);

  private:
    // Asks for a slot and writes the game there; what is said of it.
    Step<const char*> saveToSlot();
    // The question is over and the player's turn goes on.
    void backToBoard();
    void stopForQuestion();

    QuestionTable& m_table;
};

}  // namespace korvel
