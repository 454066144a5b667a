// The board's commands: the cursor, a move, a pass, the reports, the switches,
// and the questions (quit, help, save) and the pause. The cursor and the
// reports answer at any time; what starts a step waits for the player's turn.
#include <ctime>
#include <system_error>

#include "core/CommonRoutines.h"
#include "game/BoardReader.h"
#include "game/Game.h"
#include "game/RemotePlayer.h"
#include "game/TimeReader.h"
#include "voice/Announcer.h"

namespace korvel {

// What each command does, and whether it waits for the player's turn: what
// starts a step may not start while a move, the computer's turn, a question or
// the start of a game is under way; the cursor and the reports answer at once.
struct Game::Handler {
    Command command;
    bool waitsForTurn;
    void (*run)(Game& game);
};

const Game::Handler* Game::handlerOf(Command command) {
    static const Handler kHandlers[] = {
        {Command::Up, false, [](Game& g) { g.moveCursor(0, 1); }},
        {Command::Down, false, [](Game& g) { g.moveCursor(0, -1); }},
        {Command::Left, false, [](Game& g) { g.moveCursor(-1, 0); }},
        {Command::Right, false, [](Game& g) { g.moveCursor(1, 0); }},
        {Command::UpLeft, false, [](Game& g) { g.moveCursor(-1, 1); }},
        {Command::UpRight, false, [](Game& g) { g.moveCursor(1, 1); }},
        {Command::DownLeft, false, [](Game& g) { g.moveCursor(-1, -1); }},
        {Command::DownRight, false, [](Game& g) { g.moveCursor(1, -1); }},
        {Command::Quiet, false, [](Game& g) { g.m_announcer->Clear(); }},
        {Command::FreeCells, false, [](Game& g) { g.reader().freeCells(); }},
        {Command::ToggleAnnouncer, false,
         [](Game& g) { g.m_switches.toggleAnnouncer(*g.m_announcer); }},
        {Command::ToggleMusic, false, [](Game& g) { g.m_switches.toggleMusic(*g.m_announcer); }},
        {Command::TimeOfDay, false, [](Game& g) { g.sayTimeOfDay(); }},
        {Command::TimeLeft, false,
         [](Game& g) {
             // A game without a clock has no time left to tell.
             if (g.m_setup.gameType % 2 == 0) {
                 TimeReader(*g.m_announcer).secondsLeft(g.m_moveClock.secondsLeft());
             }
         }},
        {Command::SinceStart, false,
         [](Game& g) {
             TimeReader(*g.m_announcer)
                 .sinceStart(g.m_sinceStart.read(1), g.m_sinceStart.read(2),
                             g.m_sinceStart.read(3));
         }},
        {Command::DiscCounts, false, [](Game& g) { g.reader().discCounts(); }},
        {Command::SayCell, false,
         [](Game& g) {
             g.m_announcer->Clear();
             g.sayCell(false);
         }},
        {Command::Play, true,
         [](Game& g) {
             if (!g.sayRemoteToMove()) {
                 g.m_steps.start(g.personMoves());
             }
         }},
        {Command::Pass, true,
         [](Game& g) {
             if (!g.sayRemoteToMove()) {
                 g.m_steps.start(g.passTurn());
             }
         }},
        {Command::Quit, true, [](Game& g) { g.m_steps.start(g.quitGame()); }},
        {Command::Help, true, [](Game& g) { g.m_steps.start(g.showHelp()); }},
        {Command::Save, true, [](Game& g) { g.m_steps.start(g.saveGame()); }},
        {Command::Pause, true, [](Game& g) { g.pauseGame(); }},
        {Command::Row, true, [](Game& g) { g.reader().line(g.m_cursorCol, g.m_cursorRow, true); }},
        {Command::Column, true,
         [](Game& g) { g.reader().line(g.m_cursorCol, g.m_cursorRow, false); }},
        {Command::LegalMoves, true, [](Game& g) { g.reader().legalMoves(g.m_player); }},
        {Command::LastTurns, true,
         [](Game& g) { g.m_history.say(*g.m_announcer, g.m_players.phrases()); }},
        {Command::Hint, true, [](Game& g) { g.sayHint(); }},
        {Command::Slower, true, [](Game& g) { g.m_switches.stepRate(*g.m_announcer, -1); }},
        {Command::Faster, true, [](Game& g) { g.m_switches.stepRate(*g.m_announcer, 1); }},
        {Command::Quieter, true, [](Game& g) { g.m_switches.stepMusicVolume(*g.m_announcer, -1); }},
        {Command::Louder, true, [](Game& g) { g.m_switches.stepMusicVolume(*g.m_announcer, 1); }},
        {Command::TakeBack, true, [](Game& g) { g.takeBack(); }},
    };
    for (const Handler& handler : kHandlers) {
        if (handler.command == command) {
            return &handler;
        }
    }
    return nullptr;
}

void Game::command(Command command) {
    if (m_announcer == nullptr) {
        return;
    }
    if (m_state == State::Paused) {
        if (command == Command::Resume) {
            resumeGame();
        }
        return;
    }
    const Handler* handler = handlerOf(command);
    if (handler != nullptr && (!handler->waitsForTurn || idle())) {
        handler->run(*this);
    }
}

// In a network game the other side's turn is its own: a move or pass key
// says whose turn it is instead.
bool Game::sayRemoteToMove() {
    if (!remoteToMove()) {
        return false;
    }
    m_announcer->Clear();
    m_announcer->AddFile("comon");
    m_announcer->AddFile(m_players.phrase(m_player));
    return true;
}

void Game::moveCursor(int dCol, int dRow) {
    const int col = m_cursorCol + dCol;
    const int row = m_cursorRow + dRow;
    if (!OnBoard(col, row)) {
        m_sounds.border(m_cursorCol, m_cursorRow);
        return;
    }
    moveCursorTo(col, row);
    sayCell(true);
}

Step<> Game::quitGame() {
    m_announcer->Clear();
    m_announcer->AddFile("stop");
    m_moveClock.stop();
    m_state = State::Busy;
    const int answer = co_await m_steps.ask<int>([this](auto answer) {
        m_view.ask(Question{"Вы хотите прервать игру?", "Вопрос", 115, true}, std::move(answer));
    });
    m_announcer->Clear();
    if (answer == 1) {
        m_state = State::Over;
        m_switches.stopMusic(*m_announcer);
        if (RemotePlayer* remote = std::exchange(m_network.remote, nullptr)) {
            remote->quit();
        }
        leaveToMenu();
        co_return;
    }
    m_state = State::Waiting;
    m_view.keyboardToBoard();
    m_moveClock.start();
}

Step<> Game::showHelp() {
    m_moveClock.stop();
    m_state = State::Busy;
    const bool closedWithButton =
        co_await m_steps.ask<bool>([this](auto answer) { m_view.showHelp(std::move(answer)); });
    if (closedWithButton) {
        m_sounds.ok();
    }
    m_state = State::Waiting;
    m_view.keyboardToBoard();
    m_moveClock.start();
}

// F2: the game so far into a slot the player chooses, said saved, cancelled
// or failed. Nothing is saved before the first move.
Step<> Game::saveGame() {
    m_announcer->Clear();
    if (m_moveNumber <= 1 && m_stage <= 1) {
        m_announcer->AddFile("make");
        m_announcer->AddFile("1");
        m_announcer->AddFile("gamer");
        co_return;
    }
    m_moveClock.stop();
    m_state = State::Busy;
    const char* said = co_await saveToSlot();
    m_view.keyboardToBoard();
    m_moveClock.start();
    m_state = State::Waiting;
    m_announcer->Clear();
    m_announcer->AddFile(said);
}

// The game so far, as the slot's record; said: saved, cancelled or failed.
Step<const char*> Game::saveToSlot() {
    const std::string record = BuildRecord(savedState());
    const std::filesystem::path folder = GamesFolder(m_folders.user);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    auto chosen =
        m_steps.ask<std::string>([this](auto answer) { m_view.chooseSaveSlot(std::move(answer)); });
    const std::string slot = co_await chosen;
    if (slot.empty()) {
        co_return "cancel";
    }
    co_return WriteSlotFile(folder / (slot + ".rsg"), record) ? "save" : "savefail";
}

// A network game's clock cannot stop on one side only.
void Game::pauseGame() {
    m_announcer->Clear();
    if (m_setup.gameType % 2 == 1 || networkGame()) {
        m_announcer->AddFile("unavailable");
        return;
    }
    m_state = State::Paused;
    m_moveClock.stop();
    m_view.pauseShown(true, m_player);
    m_announcer->AddFile("pause");
    m_switches.music(*m_announcer, "heat.mid");
}

void Game::resumeGame() {
    m_state = State::Waiting;
    m_view.pauseShown(false, m_player);
    m_moveClock.start();
    sayCell(false);
    m_view.keyboardToBoard();
    m_switches.music(*m_announcer, "remembr.mid");
}

void Game::sayTimeOfDay() {
    std::array<int, 3> now{};
    if (timeOfDay) {
        now = timeOfDay();
    } else {
        const std::time_t t = std::time(nullptr);
        if (const std::tm* local = std::localtime(&t)) {
            now = {local->tm_hour, local->tm_min, local->tm_sec};
        }
    }
    TimeReader(*m_announcer).timeOfDay(now);
}

}  // namespace korvel
