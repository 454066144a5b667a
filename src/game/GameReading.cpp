// The keys beyond the original key set that the board's reader and the turn
// history do not answer alone: a hint (S) and taking a move back (Backspace),
// each cutting the announcer first; and the values a saved game keeps.
#include "core/CommonRoutines.h"
#include "game/BoardReader.h"
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {

void Game::sayHint() {
    m_announcer->Clear();
    // In a staged match a hint could decide the match; in a network game, the game.
    if (m_setup.gameType > 2 || networkGame()) {
        m_announcer->AddFile("unavailable");
        return;
    }
    BoardReader(*m_announcer, m_board).hint(m_player, m_moveNumber);
}

void Game::takeBack() {
    m_announcer->Clear();
    // Only a single untimed game: a clock or a match score would be cheated.
    const std::optional<TurnHistory::Point> back =
        m_setup.gameType == 1 && !networkGame() ? m_history.takeBack() : std::nullopt;
    if (!back) {
        m_announcer->AddFile("unavailable");
        return;
    }
    const TurnHistory::Point& point = *back;
    m_board = point.board;
    m_passCount = point.passCount;
    m_moveClock.setSecondsLeft(point.secondsLeft);
    m_view.discsChanged();
    m_view.secondsLeftShown(0, m_moveClock.secondsLeft());
    m_announcer->AddFile("takeback");
    sayMoveNumber(point.moveNumber);
    showPlayer(point.player);
    moveCursorTo(point.cursorCol, point.cursorRow);
    m_announcer->AddFile("position");
    sayCell(false);
}

SavedGame Game::savedState() const {
    SavedGame game;
    game.game = networkGame() ? 1 : m_setup.opponent;  // kept as a game of two at one keyboard
    game.tip = m_setup.gameType;
    game.tur = m_stage;
    game.times = m_setup.secondsPerMove;
    game.timeLeft = m_moveClock.secondsLeft();
    game.hod = m_moveNumber;
    game.curPlayer = m_player;
    game.cursorCol = m_cursorCol;
    game.cursorRow = m_cursorRow;
    game.points = m_score.points();
    game.discTotals = m_score.discTotals();
    // A two-player game keeps no level: loading one would rename player 2.
    game.level = m_setup.opponent == 2 ? m_setup.level : 0;
    game.board = m_board;
    return game;
}

}  // namespace korvel
