// The board's commands: the cursor, a move, a pass, the reports, the switches,
// and the questions (quit, help, save) and the pause. The cursor and the
// reports answer at any time; what starts a step waits for the player's turn.
#include <ctime>
#include <system_error>

#include "core/CommonRoutines.h"
#include "game/BoardReader.h"
#include "game/Game.h"
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
        {Command::ToggleAnnouncer, false, [](Game& g) { g.toggleAnnouncer(); }},
        {Command::ToggleMusic, false, [](Game& g) { g.toggleMusic(); }},
        {Command::TimeOfDay, false, [](Game& g) { g.sayTimeOfDay(); }},
        {Command::TimeLeft, false, [](Game& g) { g.sayTimeLeft(); }},
        {Command::SinceStart, false, [](Game& g) { g.saySinceStart(); }},
        {Command::DiscCounts, false, [](Game& g) { g.reader().discCounts(); }},
        {Command::SayCell, false,
         [](Game& g) {
             g.m_announcer->Clear();
             g.sayCell(false);
         }},
        {Command::Play, true, [](Game& g) { g.m_steps.start(g.personMoves()); }},
        {Command::Pass, true, [](Game& g) { g.m_steps.start(g.passTurn()); }},
        {Command::Quit, true, [](Game& g) { g.m_steps.start(g.quitGame()); }},
        {Command::Help, true, [](Game& g) { g.m_steps.start(g.showHelp()); }},
        {Command::Save, true, [](Game& g) { g.m_steps.start(g.saveGame()); }},
        {Command::Pause, true, [](Game& g) { g.pauseGame(); }},
        {Command::Row, true, [](Game& g) { g.reader().line(g.m_cursorCol, g.m_cursorRow, true); }},
        {Command::Column, true,
         [](Game& g) { g.reader().line(g.m_cursorCol, g.m_cursorRow, false); }},
        {Command::LegalMoves, true, [](Game& g) { g.reader().legalMoves(g.m_player); }},
        {Command::LastTurns, true,
         [](Game& g) { g.m_history.say(*g.m_announcer, g.m_playerPhrase); }},
        {Command::Hint, true, [](Game& g) { g.sayHint(); }},
        {Command::Slower, true, [](Game& g) { g.stepRate(-1); }},
        {Command::Faster, true, [](Game& g) { g.stepRate(1); }},
        {Command::Quieter, true, [](Game& g) { g.stepMusicVolume(-1); }},
        {Command::Louder, true, [](Game& g) { g.stepMusicVolume(1); }},
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

void Game::moveCursor(int dCol, int dRow) {
    const int col = m_cursorCol + dCol;
    const int row = m_cursorRow + dRow;
    if (!OnBoard(col, row)) {
        cellEffect(m_border, m_cursorCol, m_cursorRow, 0, 20000, 500);
        return;
    }
    moveCursorTo(col, row);
    sayCell(true);
}

void Game::toggleAnnouncer() {
    m_announcer->Clear();
    if (m_announcer->NotPlay() == 1) {
        m_announcer->setNotPlay(0);
        m_announcer->AddFile("dictor");
        m_announcer->AddFile("check");
    } else {
        m_announcer->AddFile("dictor");
        m_announcer->AddFile("uncheck");
        m_announcer->setNotPlay(1);
    }
}

void Game::toggleMusic() {
    m_musicOn = !m_musicOn;
    if (m_musicOn) {
        playMusic("remembr.mid");
    } else {
        m_announcer->StopMusic();
    }
}

Step<> Game::quitGame() {
    m_announcer->Clear();
    m_announcer->AddFile("stop");
    stopClock();
    m_state = State::Busy;
    const int answer = co_await m_steps.ask<int>([this](auto answer) {
        m_view.ask(Question{"Вы хотите прервать игру?", "Вопрос", 115, true}, std::move(answer));
    });
    m_announcer->Clear();
    if (answer == 1) {
        m_state = State::Over;
        if (m_musicOn) {
            m_announcer->StopMusic();
        }
        m_view.backToMenu();
        co_return;
    }
    m_state = State::Waiting;
    m_view.keyboardToBoard();
    startClock();
}

Step<> Game::showHelp() {
    stopClock();
    m_state = State::Busy;
    const bool closedWithButton =
        co_await m_steps.ask<bool>([this](auto answer) { m_view.showHelp(std::move(answer)); });
    if (closedWithButton) {
        playOk();
    }
    m_state = State::Waiting;
    m_view.keyboardToBoard();
    startClock();
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
    stopClock();
    m_state = State::Busy;
    const std::string record = BuildRecord(savedState());
    const std::filesystem::path folder = GamesFolder(m_folders.user);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    auto chosen =
        m_steps.ask<std::string>([this](auto answer) { m_view.chooseSaveSlot(std::move(answer)); });
    const std::string slot = co_await chosen;
    const char* said = "cancel";
    if (!slot.empty()) {
        said = WriteSlotFile(folder / (slot + ".rsg"), record) ? "save" : "savefail";
    }
    m_view.keyboardToBoard();
    startClock();
    m_state = State::Waiting;
    m_announcer->Clear();
    m_announcer->AddFile(said);
}

void Game::pauseGame() {
    m_announcer->Clear();
    if (m_setup.gameType % 2 == 1) {
        m_announcer->AddFile("unavailable");
        return;
    }
    m_state = State::Paused;
    stopClock();
    m_view.pauseShown(true, m_player);
    m_announcer->AddFile("pause");
    if (m_musicOn) {
        playMusic("heat.mid");
    }
}

void Game::resumeGame() {
    m_state = State::Waiting;
    m_view.pauseShown(false, m_player);
    startClock();
    sayCell(false);
    m_view.keyboardToBoard();
    if (m_musicOn) {
        playMusic("remembr.mid");
    }
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
    m_announcer->Clear();
    m_announcer->AddFile("systime");
    for (const int part : now) {
        m_announcer->Number(part);
    }
}

void Game::sayTimeLeft() {
    if (m_setup.gameType % 2 == 1) {
        return;
    }
    m_announcer->Clear();
    m_announcer->Number(m_secondsLeft, Gender::Feminine);
    m_announcer->AddFile("sek" + std::to_string(PluralForm(m_secondsLeft)));
}

void Game::saySinceStart() {
    const int hours = m_sinceStart.read(1);
    const int minutes = m_sinceStart.read(2);
    const int seconds = m_sinceStart.read(3);
    m_announcer->Clear();
    m_announcer->AddFile("timer");
    sayDuration(hours, minutes, seconds);
}

// Hours, minutes and seconds with their unit words; a zero part is skipped.
void Game::sayDuration(int hours, int minutes, int seconds) {
    if (hours > 0) {
        m_announcer->Number(hours);
        m_announcer->AddFile("hour" + std::to_string(PluralForm(hours)));
    }
    if (minutes > 0) {
        m_announcer->Number(minutes, Gender::Feminine);
        m_announcer->AddFile("minut" + std::to_string(PluralForm(minutes)));
    }
    if (seconds > 0) {
        m_announcer->Number(seconds, Gender::Feminine);
        m_announcer->AddFile("sek" + std::to_string(PluralForm(seconds)));
    }
}

}  // namespace korvel
