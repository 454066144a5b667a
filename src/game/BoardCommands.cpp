#include "game/BoardCommands.h"

#include <ctime>

#include "core/CommonRoutines.h"
#include "game/BoardReader.h"
#include "game/BoardSounds.h"
#include "game/GameView.h"
#include "game/MatchScore.h"
#include "game/MoveClock.h"
#include "game/Players.h"
#include "game/Position.h"
#include "game/SoundSwitches.h"
#include "game/TimeReader.h"
#include "game/TurnHistory.h"
#include "voice/Announcer.h"

namespace korvel {

// What each command does, and whether it waits for the player's turn: what
// starts a step may not start while a move, the computer's turn, a question or
// the start of a game is under way; the cursor and the reports answer at once.
struct BoardCommands::Handler {
    Command command;
    bool waitsForTurn;
    void (*run)(BoardCommands& k);
};

using K = BoardCommands;

const BoardCommands::Handler BoardCommands::kHandlers[] = {
    {Command::Up, false, [](K& k) { k.moveCursor(0, 1); }},
    {Command::Down, false, [](K& k) { k.moveCursor(0, -1); }},
    {Command::Left, false, [](K& k) { k.moveCursor(-1, 0); }},
    {Command::Right, false, [](K& k) { k.moveCursor(1, 0); }},
    {Command::UpLeft, false, [](K& k) { k.moveCursor(-1, 1); }},
    {Command::UpRight, false, [](K& k) { k.moveCursor(1, 1); }},
    {Command::DownLeft, false, [](K& k) { k.moveCursor(-1, -1); }},
    {Command::DownRight, false, [](K& k) { k.moveCursor(1, -1); }},
    {Command::Quiet, false, [](K& k) { k.m_table.announcer().Clear(); }},
    {Command::FreeCells, false, [](K& k) { k.m_table.reader().freeCells(); }},
    {Command::ToggleAnnouncer, false,
     [](K& k) { k.m_table.switches().toggleAnnouncer(k.m_table.announcer()); }},
    {Command::ToggleMusic, false,
     [](K& k) { k.m_table.switches().toggleMusic(k.m_table.announcer()); }},
    {Command::TimeOfDay, false, [](K& k) { k.sayTimeOfDay(); }},
    {Command::TimeLeft, false,
     [](K& k) {
         // A game without a clock has no time left to tell.
         if (k.m_table.match().timed()) {
             TimeReader(k.m_table.announcer()).secondsLeft(k.m_table.moveClock().secondsLeft());
         }
     }},
    {Command::SinceStart, false,
     [](K& k) {
         Stopwatch& since = k.m_table.sinceStart();
         TimeReader(k.m_table.announcer()).sinceStart(since.read(1), since.read(2), since.read(3));
     }},
    {Command::DiscCounts, false, [](K& k) { k.m_table.reader().discCounts(); }},
    {Command::SayCell, false,
     [](K& k) {
         k.m_table.announcer().Clear();
         k.m_table.sayCell(false);
     }},
    {Command::Play, true,
     [](K& k) {
         if (!k.sayRemoteToMove()) {
             k.m_turns.play();
         }
     }},
    {Command::Pass, true,
     [](K& k) {
         if (!k.sayRemoteToMove()) {
             k.m_turns.pass();
         }
     }},
    {Command::Quit, true, [](K& k) { k.m_table.steps().start(k.m_questions.quit()); }},
    {Command::Help, true, [](K& k) { k.m_table.steps().start(k.m_questions.help()); }},
    {Command::Save, true, [](K& k) { k.m_table.steps().start(k.m_questions.save()); }},
    {Command::Pause, true, [](K& k) { k.m_questions.pause(); }},
    {Command::Row, true,
     [](K& k) {
         k.m_table.reader().line(k.m_table.position().cursorCol(), k.m_table.position().cursorRow(),
                                 true);
     }},
    {Command::Column, true,
     [](K& k) {
         k.m_table.reader().line(k.m_table.position().cursorCol(), k.m_table.position().cursorRow(),
                                 false);
     }},
    {Command::LegalMoves, true,
     [](K& k) { k.m_table.reader().legalMoves(k.m_table.position().mover()); }},
    {Command::LastTurns, true,
     [](K& k) { k.m_table.history().say(k.m_table.announcer(), k.m_table.players().phrases()); }},
    {Command::Hint, true, [](K& k) { k.sayHint(); }},
    {Command::Slower, true, [](K& k) { k.m_table.switches().stepRate(k.m_table.announcer(), -1); }},
    {Command::Faster, true, [](K& k) { k.m_table.switches().stepRate(k.m_table.announcer(), 1); }},
    {Command::Quieter, true,
     [](K& k) { k.m_table.switches().stepMusicVolume(k.m_table.announcer(), -1); }},
    {Command::Louder, true,
     [](K& k) { k.m_table.switches().stepMusicVolume(k.m_table.announcer(), 1); }},
    {Command::TakeBack, true, [](K& k) { k.takeBack(); }},
};

const BoardCommands::Handler* BoardCommands::handlerOf(Command command) {
    for (const Handler& handler : kHandlers) {
        if (handler.command == command) {
            return &handler;
        }
    }
    return nullptr;
}

void BoardCommands::run(Command command) {
    if (!m_table.attached()) {
        return;
    }
    if (m_table.state() == TableState::Paused) {
        if (command == Command::Resume) {
            m_questions.resume();
        }
        return;
    }
    const Handler* handler = handlerOf(command);
    if (handler != nullptr && (!handler->waitsForTurn || m_table.idle())) {
        handler->run(*this);
    }
}

bool BoardCommands::sayRemoteToMove() {
    if (!m_table.remoteToMove()) {
        return false;
    }
    m_table.announcer().Clear();
    m_table.announcer().AddFile("comon");
    m_table.announcer().AddFile(m_table.players().phrase(m_table.position().mover()));
    return true;
}

void BoardCommands::moveCursor(int dCol, int dRow) {
    const int col = m_table.position().cursorCol() + dCol;
    const int row = m_table.position().cursorRow() + dRow;
    if (!OnBoard(col, row)) {
        m_table.sounds().border(m_table.position().cursorCol(), m_table.position().cursorRow());
        return;
    }
    m_table.moveCursorTo(col, row);
    m_table.sayCell(true);
}

void BoardCommands::sayTimeOfDay() {
    std::array<int, 3> now{};
    if (m_timeOfDay) {
        now = m_timeOfDay();
    } else {
        const std::time_t t = std::time(nullptr);
        if (const std::tm* local = std::localtime(&t)) {
            now = {local->tm_hour, local->tm_min, local->tm_sec};
        }
    }
    TimeReader(m_table.announcer()).timeOfDay(now);
}

// S: in a staged match a hint could decide the match; in a network game, the game.
void BoardCommands::sayHint() {
    CommandTable& t = m_table;
    t.announcer().Clear();
    if (t.match().staged() || t.networkGame()) {
        t.announcer().AddFile("unavailable");
        return;
    }
    t.reader().hint(t.position().mover(), t.position().moveNumber());
}

// Backspace: only in a single untimed game, where no clock or match score is cheated.
void BoardCommands::takeBack() {
    CommandTable& t = m_table;
    t.announcer().Clear();
    const std::optional<TurnHistory::Point> back =
        !t.match().timed() && !t.match().staged() && !t.networkGame() ? t.history().takeBack()
                                                                      : std::nullopt;
    if (!back) {
        t.announcer().AddFile("unavailable");
        return;
    }
    const Position& point = back->position;
    t.position().setBoard(point.board());
    t.position().setPasses(point.passes());
    t.moveClock().setSecondsLeft(back->secondsLeft);
    t.view().discsChanged();
    t.view().secondsLeftShown(0, t.moveClock().secondsLeft());
    t.announcer().AddFile("takeback");
    t.sayMoveNumber(point.moveNumber());
    t.showPlayer(point.mover());
    t.moveCursorTo(point.cursorCol(), point.cursorRow());
    t.announcer().AddFile("position");
    t.sayCell(false);
}

}  // namespace korvel
