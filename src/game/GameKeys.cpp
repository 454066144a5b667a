// The board's commands: the cursor, a move, a pass, the reports, the switches,
// and the questions (quit, help, save) and the pause. The cursor and the
// reports answer at any time; what starts a step waits for the player's turn.
#include <ctime>
#include <system_error>

#include "core/CommonRoutines.h"
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {

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
    switch (command) {
        case Command::Up:
            return moveCursor(0, 1);
        case Command::Down:
            return moveCursor(0, -1);
        case Command::Left:
            return moveCursor(-1, 0);
        case Command::Right:
            return moveCursor(1, 0);
        case Command::UpLeft:
            return moveCursor(-1, 1);
        case Command::UpRight:
            return moveCursor(1, 1);
        case Command::DownLeft:
            return moveCursor(-1, -1);
        case Command::DownRight:
            return moveCursor(1, -1);
        case Command::Quiet:
            return m_announcer->Clear();
        case Command::FreeCells:
            return sayFreeCells();
        case Command::ToggleAnnouncer:
            return toggleAnnouncer();
        case Command::ToggleMusic:
            return toggleMusic();
        case Command::TimeOfDay:
            return sayTimeOfDay();
        case Command::TimeLeft:
            return sayTimeLeft();
        case Command::SinceStart:
            return saySinceStart();
        case Command::DiscCounts:
            return sayDiscCounts();
        case Command::SayCell:
            m_announcer->Clear();
            return sayCell(false);
        default:
            break;
    }
    // The rest waits for the player's turn: none of them may start while a
    // move, the computer's turn, a question or the start of a game is under way.
    if (!idle()) {
        return;
    }
    switch (command) {
        case Command::Play:
            return m_steps.start(personMoves());
        case Command::Pass:
            return m_steps.start(passTurn());
        case Command::Quit:
            return m_steps.start(quitGame());
        case Command::Help:
            return m_steps.start(showHelp());
        case Command::Save:
            return m_steps.start(saveGame());
        case Command::Pause:
            return pauseGame();
        case Command::Row:
            return sayLine(true);
        case Command::Column:
            return sayLine(false);
        case Command::LegalMoves:
            return sayLegalMoves();
        case Command::LastTurns:
            return sayLastTurns();
        case Command::Hint:
            return sayHint();
        case Command::Slower:
            return stepRate(-1);
        case Command::Faster:
            return stepRate(1);
        case Command::Quieter:
            return stepMusicVolume(-1);
        case Command::Louder:
            return stepMusicVolume(1);
        case Command::TakeBack:
            return takeBack();
        default:
            return;
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

// C: the free cells, counted only: the game's end is the move's to find.
void Game::sayFreeCells() {
    m_announcer->Clear();
    m_announcer->AddFile("free");
    m_announcer->Number(64 - CountDiscs(m_board).total(), Gender::Feminine);
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

void Game::sayDiscCounts() {
    const DiscCount count = CountDiscs(m_board);
    m_announcer->Clear();
    m_announcer->AddFile("color1");
    m_announcer->Number(count.white, Gender::Feminine);
    m_announcer->AddFile("color2");
    m_announcer->Number(count.black, Gender::Feminine);
}

}  // namespace korvel
