#pragma once

#include <array>
#include <functional>

#include "game/GameQuestions.h"
#include "game/TableParts.h"

namespace korvel {

// What a key means on the board; the window maps the physical keys to these.
enum class Command {
    Up,
    Down,
    Left,
    Right,
    UpLeft,
    UpRight,
    DownLeft,
    DownRight,
    Play,
    Pass,
    Quiet,
    FreeCells,
    ToggleAnnouncer,
    ToggleMusic,
    Quit,
    TimeOfDay,
    TimeLeft,
    SinceStart,
    DiscCounts,
    SayCell,
    Help,
    Save,
    Pause,
    Row,
    Column,
    LegalMoves,
    LastTurns,
    Hint,
    Slower,
    Faster,
    Quieter,
    Louder,
    TakeBack,
    Resume,  // F11 on the pause's panel
};

// The board's commands: the cursor, a move, a pass, the reports, the switches,
// the questions and the pause. The cursor and the reports answer at any time;
// what starts a step waits for the player's turn, and under the pause's panel
// only Resume is heard.
class BoardCommands {
  public:
    // The turn's own steps, which the game starts: a move on the cursor's cell, a pass.
    struct Turns {
        std::function<void()> play;
        std::function<void()> pass;
    };
    using TimeOfDay = std::function<std::array<int, 3>()>;

    // `timeOfDay`, when set, gives T its hours, minutes and seconds (the tests fix it).
    BoardCommands(CommandTable& table, GameQuestions& questions, Turns turns,
                  const TimeOfDay& timeOfDay)
        : m_table(table),
          m_questions(questions),
          m_turns(std::move(turns)),
          m_timeOfDay(timeOfDay) {}

    void run(Command command);

  private:
    struct Handler;
    static const Handler kHandlers[];
    static const Handler* handlerOf(Command command);
    // In a network game the other side's turn is its own: a move or pass key
    // says whose turn it is instead.
    bool sayRemoteToMove();
    void moveCursor(int dCol, int dRow);
    void sayTimeOfDay();
    void sayHint();
    void takeBack();

    CommandTable& m_table;
    GameQuestions& m_questions;
    Turns m_turns;
    const TimeOfDay& m_timeOfDay;
};

}  // namespace korvel
