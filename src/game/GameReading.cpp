// The keys beyond the original key set that the board's reader and the turn
// history do not answer alone: a hint (S), the announcer's speed ([ and ]),
// the music's level (- and =) and taking a move back (Backspace). Each cuts
// the announcer first.
#include "core/CommonRoutines.h"
#include "game/BoardReader.h"
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {

void Game::sayHint() {
    m_announcer->Clear();
    // In a staged match a hint could decide the match.
    if (m_setup.gameType > 2) {
        m_announcer->AddFile("unavailable");
        return;
    }
    BoardReader(*m_announcer, m_board).hint(m_player, m_moveNumber);
}

void Game::stepRate(int direction) {
    m_announcer->Clear();
    m_announcer->setRate(m_announcer->Rate() + direction * Announcer::kRateStep);
    m_announcer->AddFile("rate");
    m_announcer->Number(m_announcer->Rate());
    m_announcer->AddFile("percent");
}

void Game::stepMusicVolume(int direction) {
    m_announcer->Clear();
    m_announcer->setMusicVolume(m_announcer->MusicVolume() + direction * Announcer::kVolumeStep);
    const int db = m_announcer->MusicVolume();
    m_announcer->AddFile("musvol");
    if (db == 0) {
        m_announcer->AddFile("global");  // "полная"
    } else if (db == Announcer::kVolumeSilent) {
        m_announcer->AddFile("silent");
    } else {
        m_announcer->AddFile("minus");
        m_announcer->Number(-db);
        m_announcer->AddFile("decibel");
    }
}

void Game::takeBack() {
    m_announcer->Clear();
    // Only a single untimed game: a clock or a match score would be cheated.
    const std::optional<TurnHistory::Point> back =
        m_setup.gameType == 1 ? m_history.takeBack() : std::nullopt;
    if (!back) {
        m_announcer->AddFile("unavailable");
        return;
    }
    const TurnHistory::Point& point = *back;
    m_board = point.board;
    m_passCount = point.passCount;
    m_secondsLeft = point.secondsLeft;
    m_view.discsChanged();
    m_view.secondsLeftShown(0, m_secondsLeft);
    m_announcer->AddFile("takeback");
    sayMoveNumber(point.moveNumber);
    showPlayer(point.player);
    moveCursorTo(point.cursorCol, point.cursorRow);
    m_announcer->AddFile("position");
    sayCell(false);
}

SavedGame Game::savedState() const {
    SavedGame game;
    game.game = m_setup.opponent;
    game.tip = m_setup.gameType;
    game.tur = m_stage;
    game.times = m_setup.secondsPerMove;
    game.timeLeft = m_secondsLeft;
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
