// The table's small routines: the start position, who is to move, the move
// number and the cursor, said and shown; the way back to the menu; what a
// saved game keeps.
#include "game/GameTable.h"

#include "core/IniFile.h"
#include "game/BoardReader.h"
#include "records/StartPosition.h"
#include "voice/Announcer.h"

namespace korvel {

GameTable::GameTable(Clock& clock, Settings& settings, RandomSource& random, Folders folders,
                     GameView& view)
    : m_clock(clock),
      m_settings(settings),
      m_random(random),
      m_folders(std::move(folders)),
      m_view(view),
      m_sinceStart(clock),
      m_players(view),
      m_switches(m_folders.data),
      m_moveClock(clock, view, m_match.setup(), m_position),
      m_steps(clock) {}

void GameTable::attach(Announcer& announcer) {
    m_announcer = &announcer;
    m_moveClock.loadEffects(m_folders.data);
    m_sounds.loadEffects(m_folders.data);
}

void GameTable::detach() {
    m_announcer = nullptr;
    m_moveClock.releaseEffects();
    m_sounds.releaseEffects();
}

void GameTable::finish() {
    m_state = State::Over;
    m_moveClock.stop();
}

void GameTable::setStartPosition() {
    // A network game plays the host's position on both sides.
    const std::optional<std::pair<Board, int>> start =
        networkGame() ? m_network.start : StartFileIn(m_folders.user);
    if (start) {
        m_position.setBoard(start->first);
        m_match.startFrom(start->second);
    } else {
        Board standard;
        SetStandardPosition(standard);
        m_position.setBoard(standard);
    }
    // A game never inherits the passes that ended the one before it, nor its turns.
    m_position.forgetPasses();
    m_history.forget();
    m_view.discsChanged();
}

void GameTable::seatPlayers(int opponent) {
    if (opponent == 2) {
        m_players.againstComputer(m_settings);
    }
    if (m_announcer) {
        m_switches.music(*m_announcer, "remembr.mid");
    }
}

void GameTable::sayMoveNumber(int number) {
    m_position.setMoveNumber(number);
    if (m_announcer) {
        m_announcer->AddFile("gamer");
        m_announcer->Number(number);
    }
}

void GameTable::showPlayer(int who) {
    if (who > 0) {
        m_position.setMover(who);
    }
    const int mover = m_position.mover();
    m_announcer->AddFile("comon");
    m_view.playerShown(mover, m_position.moveNumber());
    m_announcer->AddFile(m_players.phrase(mover));
}

void GameTable::nextTurn() {
    if (m_position.mover() == 2) {
        sayMoveNumber(m_position.moveNumber() + 1);
    }
    showPlayer(3 - m_position.mover());
}

void GameTable::moveCursorTo(int col, int row) {
    m_position.setCursor(col, row);
    if (OnBoard(col, row)) {
        m_view.cursorMoved(col, row);
    }
}

void GameTable::sayCell(bool withEffect) {
    const int col = m_position.cursorCol();
    const int row = m_position.cursorRow();
    if (withEffect) {
        m_announcer->Clear();
        m_sounds.cursor(col, row);
    }
    reader().cell(col, row);
}

BoardReader GameTable::reader() {
    return BoardReader(*m_announcer, m_position.board());
}

void GameTable::endGame() {
    m_moveClock.stop();
    m_steps.cancel();
}

void GameTable::leaveToMenu() {
    endGame();
    // The music switch of this game is the next one's.
    m_settings.SetNumber("Music", "music", m_switches.musicOn() ? -1 : 0);
    m_view.backToMenu();
}

SavedGame GameTable::savedState() const {
    SavedGame game;
    const GameSetup& setup = m_match.setup();
    game.game = networkGame() ? 1 : setup.opponent;  // kept as a game of two at one keyboard
    game.gameType = setup.gameType;
    game.stage = m_match.stage();
    game.times = setup.secondsPerMove;
    game.timeLeft = m_moveClock.secondsLeft();
    game.moveNumber = m_position.moveNumber();
    game.curPlayer = m_position.mover();
    game.cursorCol = m_position.cursorCol();
    game.cursorRow = m_position.cursorRow();
    game.points = m_match.score().points();
    game.discTotals = m_match.score().discTotals();
    // A two-player game keeps no level: loading one would rename player 2.
    game.level = setup.opponent == 2 ? setup.level : 0;
    game.board = m_position.board();
    return game;
}

}  // namespace korvel
