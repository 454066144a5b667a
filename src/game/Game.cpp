// The game's set-up: its services, a new game or match from the menu, and a
// saved game loaded by ear.
#include "game/Game.h"

#include "game/RemotePlayer.h"
#include "voice/Announcer.h"

namespace korvel {

Game::Game(Clock& clock, Settings& settings, RandomSource& random, Folders folders, GameView& view)
    : m_table(clock, settings, random, std::move(folders), view),
      m_commands(m_table, m_questions,
                 {[this] { m_steps.start(personMoves()); }, [this] { m_steps.start(passTurn()); }},
                 timeOfDay) {
    m_moveClock.timeUp = [this] {
        // A move already being played finishes first; it resets the clock
        // itself. The other side of a network game tells its own time-out.
        if (m_table.state() == State::Waiting && !m_table.remoteToMove()) {
            if (m_table.networkGame() && m_table.remote() != nullptr) {
                m_table.remote()->timedOut();
                turnBegins(m_table.clock().tickCount());
            }
            m_steps.start(timeOut());
        }
    };
}

Game::~Game() {
    m_table.endGame();
    detach();
}

void Game::attach(Announcer& announcer) {
    m_table.attach(announcer);
    announcer.AddFile("reverse");
}

void Game::detach() {
    m_table.detach();
}

void Game::begin(const GameSetup& setup) {
    m_table.endGame();
    if (setup.opponent != 3) {
        m_table.setNetwork({});
        m_moveClock.setTurnStart(-1);
    }
    m_table.match().begin(setup);
    m_table.view().clockShown(setup.secondsPerMove != 0);
    m_table.seatPlayers(setup.opponent);
    if (setup.opponent == 2) {
        m_table.players().setLevel(setup.level);
    }
    m_steps.start(startGame());
}

Step<> Game::startGame() {
    m_table.hold();
    m_table.sinceStart().read(0);
    m_table.view().turnMarksHidden();
    const Match& match = m_table.match();
    m_table.moveCursorTo(match.firstPlayer() + 3, 4);
    m_table.setStartPosition();
    co_await m_steps.pause(GamePauses::kSetUp);
    if (match.stage() == 1) {
        m_table.announcer().AddFile("velcome");
        m_table.announcer().AddFile("menu" + std::to_string(match.setup().opponent));
        m_table.announcer().AddFile("tipe" + std::to_string(match.setup().gameType));
        if (m_table.networkGame()) {
            m_table.announcer().AddFile(m_table.localPlayer() == 1 ? "playwhite" : "playblack");
        }
    }
    if (match.staged()) {
        m_table.announcer().AddFile("tur");
        m_table.announcer().Number(match.stage());
    }
    m_table.sayMoveNumber(1);
    m_table.showPlayer(match.firstPlayer());
    m_table.announcer().AddFile("position");
    m_table.sayCell(false);
    co_await m_steps.until(
        [this] { return !m_table.attached() || m_table.announcer().Count() <= 1; });
    m_moveClock.reset();
    m_table.view().secondsLeftShown(0, m_moveClock.secondsLeft());
    m_moveClock.start();
    // A network game's clocks of the stage start here on each side, and the
    // other side is told so.
    if (m_table.networkGame() && m_table.remote() != nullptr) {
        m_stageBegan = m_table.clock().tickCount();
        turnBegins(m_stageBegan);
        m_table.remote()->stageStarted(m_table.match().stage());
    }
    co_await m_steps.pause(GamePauses::kBeforePlay);
    co_await moverPlays();
}

void Game::load(const std::string& record) {
    const std::optional<SavedGame> parsed = ParseRecord(record);
    if (parsed && m_table.attached()) {
        m_table.endGame();
        m_table.setNetwork({});
        m_moveClock.setTurnStart(-1);
        m_steps.start(loadGame(*parsed));
    }
}

Step<> Game::loadGame(SavedGame game) {
    m_table.hold();
    m_table.sinceStart().read(0);
    m_moveClock.stop();
    m_table.view().pauseShown(false, m_position.mover());
    m_table.announcer().Clear();
    m_table.announcer().StopSound();
    m_table.view().turnMarksHidden();
    co_await m_loading.restoreDiscs(game.board);
    m_loading.announce(game);
    co_await m_steps.until(
        [this] { return !m_table.attached() || m_table.announcer().Count() <= 1; });

    // A loaded game never inherits the passes of the game played before it,
    // nor its turns: the record keeps none.
    m_position.forgetPasses();
    m_table.history().forget();
    m_table.view().secondsLeftShown(0, m_moveClock.secondsLeft());
    m_moveClock.start();
    co_await moverPlays();
}

}  // namespace korvel
