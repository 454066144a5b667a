// The game's set-up: its services, a new game or match from the menu, a saved
// game loaded by ear, and the small pieces every step uses.
#include "game/Game.h"

#include <filesystem>
#include <system_error>

#include "core/IniFile.h"
#include "game/BoardReader.h"
#include "game/RemotePlayer.h"
#include "game/TimeReader.h"
#include "records/StartPosition.h"
#include "voice/Announcer.h"

namespace korvel {

Game::Game(Clock& clock, Settings& settings, RandomSource& random, Folders folders, GameView& view)
    : m_clock(clock),
      m_settings(settings),
      m_random(random),
      m_folders(std::move(folders)),
      m_view(view),
      m_sinceStart(clock),
      m_players(view),
      m_switches(m_folders.data),
      m_moveClock(clock, view, m_setup, m_cursorCol, m_player),
      m_steps(clock) {
    m_moveClock.timeUp = [this] {
        // A move already being played finishes first; it resets the clock
        // itself. The other side of a network game tells its own time-out.
        if (m_state == State::Waiting && !remoteToMove()) {
            if (networkGame() && m_network.remote != nullptr) {
                m_network.remote->timedOut();
            }
            m_steps.start(timeOut());
        }
    };
}

Game::~Game() {
    m_moveClock.stop();
    detach();
}

void Game::attach(Announcer& announcer) {
    m_announcer = &announcer;
    m_announcer->AddFile("reverse");
    m_moveClock.loadEffects(m_folders.data);
    m_sounds.loadEffects(m_folders.data);
}

void Game::detach() {
    m_announcer = nullptr;
    m_moveClock.releaseEffects();
    m_sounds.releaseEffects();
}

void Game::setPlayerPhrase(int player, const std::string& phrase) {
    m_players.setPhrase(player, phrase);
}

void Game::setOpponent(int opponent) {
    m_setup.opponent = opponent;
    if (opponent == 2) {
        m_players.againstComputer(m_settings);
    }
    if (m_announcer) {
        m_switches.music(*m_announcer, "remembr.mid");
    }
}

void Game::begin(const GameSetup& setup) {
    ++m_gameNumber;
    if (setup.opponent != 3) {
        m_network = {};
    }
    m_stage = 1;
    m_setup.gameType = setup.gameType;
    m_firstPlayer = 1;
    m_setup.secondsPerMove = setup.secondsPerMove;
    m_view.clockShown(setup.secondsPerMove != 0);
    setOpponent(setup.opponent);
    m_score.clear();
    if (setup.opponent == 2) {
        m_setup.level = setup.level;
        m_players.setLevel(setup.level);
    }
    m_steps.start(startGame());
}

Step<> Game::startGame() {
    m_state = State::Busy;
    m_sinceStart.read(0);
    m_view.turnMarksHidden();
    moveCursorTo(m_firstPlayer + 3, 4);
    m_board.clear();
    const std::filesystem::path start = m_folders.user / "start.txt";
    std::error_code error;
    if (networkGame() && m_network.start) {
        m_board = m_network.start->first;
        m_firstPlayer = m_network.start->second;
    } else if (networkGame()) {
        SetStandardPosition(m_board);
    } else if (std::filesystem::is_regular_file(start, error)) {
        m_firstPlayer = ReadStartPosition(start, m_board);
    } else {
        SetStandardPosition(m_board);
    }
    // A game never inherits the passes that ended the one before it, nor its turns.
    m_passCount = -1;
    m_history.forget();
    m_view.discsChanged();
    co_await m_steps.pause(GamePauses::kSetUp);
    if (m_stage == 1) {
        m_announcer->AddFile("velcome");
        m_announcer->AddFile("menu" + std::to_string(m_setup.opponent));
        m_announcer->AddFile("tipe" + std::to_string(m_setup.gameType));
        if (networkGame()) {
            m_announcer->AddFile(m_network.localPlayer == 1 ? "playwhite" : "playblack");
        }
    }
    if (m_setup.gameType > 2) {
        m_announcer->AddFile("tur");
        m_announcer->Number(m_stage);
        if (networkGame() && m_network.remote != nullptr) {
            m_network.remote->stageStarted(m_stage);
        }
    }
    sayMoveNumber(1);
    showPlayer(m_firstPlayer);
    m_announcer->AddFile("position");
    sayCell(false);
    co_await m_steps.until([this] { return m_announcer == nullptr || m_announcer->Count() <= 1; });
    m_moveClock.reset();
    m_view.secondsLeftShown(0, m_moveClock.secondsLeft());
    m_moveClock.start();
    co_await m_steps.pause(GamePauses::kBeforePlay);
    co_await moverPlays();
}

void Game::load(const std::string& record) {
    const std::optional<SavedGame> parsed = ParseRecord(record);
    if (parsed && m_announcer != nullptr) {
        ++m_gameNumber;
        m_network = {};
        m_steps.start(loadGame(*parsed));
    }
}

Step<> Game::loadGame(SavedGame game) {
    m_state = State::Busy;
    m_sinceStart.read(0);
    m_moveClock.stop();
    m_view.pauseShown(false, m_player);
    m_announcer->Clear();
    m_announcer->StopSound();
    m_view.turnMarksHidden();
    co_await restoreDiscs(game.board);
    announceLoaded(game);
    co_await m_steps.until([this] { return m_announcer == nullptr || m_announcer->Count() <= 1; });

    // A loaded game never inherits the passes of the game played before it,
    // nor its turns: the record keeps none.
    m_passCount = -1;
    m_history.forget();
    m_view.secondsLeftShown(0, m_moveClock.secondsLeft());
    m_moveClock.start();
    co_await moverPlays();
}

// The position comes back audibly, row by row, each disc at its place.
Step<> Game::restoreDiscs(const Board& saved) {
    m_board.clear();
    m_view.discsChanged();
    const int halfPause = static_cast<int>(RoundHalfEven(m_turnPause / 2.0));
    for (int row = 1; row <= 8; ++row) {
        for (int col = 1; col <= 8; ++col) {
            const CellCode code = saved.at(col, row);
            m_board.at(col, row) = code;
            m_view.discsChanged();
            if (code == 1 || code == 2) {
                m_sounds.disc(code, col, row);
                co_await m_steps.pause(halfPause);
            }
        }
    }
}

// The saved game's kind, stage, clock and score, said as they come back.
void Game::announceLoaded(const SavedGame& game) {
    m_score.restore(game.points, game.discTotals);
    m_announcer->Clear();
    m_announcer->AddFile("velcome");
    setOpponent(game.game);
    m_announcer->AddFile("menu" + std::to_string(game.game));
    m_setup.gameType = game.tip;
    m_firstPlayer = 1;
    m_announcer->AddFile("tipe" + std::to_string(game.tip));
    m_stage = game.tur;
    if (m_setup.gameType > 2) {
        m_announcer->AddFile("tur");
        m_announcer->Number(m_stage);
    }
    if (game.level != 0) {
        m_setup.level = game.level;
        m_players.setLevel(game.level);
    }
    m_setup.secondsPerMove = game.times;
    m_view.clockShown(game.times != 0);
    if (m_setup.gameType % 2 == 0 && m_setup.secondsPerMove > 0) {
        // The time per move, said as the W key says a time.
        TimeReader(*m_announcer)
            .duration(0, m_setup.secondsPerMove / 60, m_setup.secondsPerMove % 60);
    }
    m_announcer->AddFile("schet");
    m_announcer->Number(m_score.points()[0]);
    m_announcer->Number(m_score.points()[1]);
    m_announcer->AddFile("alls");
    m_announcer->Number(m_score.discTotals()[0]);
    m_announcer->Number(m_score.discTotals()[1]);

    sayMoveNumber(game.hod);
    m_player = game.curPlayer;
    m_moveClock.setSecondsLeft(game.timeLeft);
    moveCursorTo(game.cursorCol, game.cursorRow);
    m_announcer->AddFile("position");
    sayCell(false);
    showPlayer(m_player);
}

// Every way back to the menu ends the game's waits that are still pending.
void Game::leaveToMenu() {
    ++m_gameNumber;
    m_view.backToMenu();
}

void Game::sayMoveNumber(int moveNumber) {
    m_moveNumber = moveNumber;
    if (m_announcer) {
        m_announcer->AddFile("gamer");
        m_announcer->Number(moveNumber);
    }
}

void Game::showPlayer(int player) {
    if (player > 0) {
        m_player = player;
    }
    m_announcer->AddFile("comon");
    m_view.playerShown(m_player, m_moveNumber);
    m_announcer->AddFile(m_players.phrase(m_player));
}

void Game::moveCursorTo(int col, int row) {
    m_cursorCol = col;
    m_cursorRow = row;
    if (OnBoard(col, row)) {
        m_view.cursorMoved(col, row);
    }
}

void Game::sayCell(bool withEffect) {
    if (withEffect) {
        m_announcer->Clear();
        m_sounds.cursor(m_cursorCol, m_cursorRow);
    }
    reader().cell(m_cursorCol, m_cursorRow);
}

BoardReader Game::reader() {
    return BoardReader(*m_announcer, m_board);
}

}  // namespace korvel
