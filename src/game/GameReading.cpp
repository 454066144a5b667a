// The keys beyond the original key set that the board's reader does not
// answer alone: last turns (R), a hint (S), the announcer's speed ([ and ]),
// the music's level (- and =) and taking a move back (Backspace). Each cuts
// the announcer first.
#include "core/CommonRoutines.h"
#include "game/BoardReader.h"
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel {

void Game::sayLastTurns() {
    m_announcer->Clear();
    if (m_turns.lastPlayer == 0) {
        m_announcer->AddFile("nolast");
        return;
    }
    for (const int player : {m_turns.lastPlayer, 3 - m_turns.lastPlayer}) {
        const std::optional<TurnNote>& note = m_turns.byPlayer[player - 1];
        if (!note) {
            continue;
        }
        m_announcer->AddFile(m_playerPhrase[player - 1]);
        if (note->col == 0) {
            m_announcer->AddFile("passed");
            continue;
        }
        BoardReader(*m_announcer, m_board).cellName(note->col, note->row);
        m_announcer->AddFile("flipped");
        m_announcer->Number(note->flips, Gender::Feminine);
    }
}

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
    if (m_setup.gameType != 1 || m_takeBack.empty()) {
        m_announcer->AddFile("unavailable");
        return;
    }
    const TakeBackPoint point = m_takeBack.back();
    m_takeBack.pop_back();
    m_board = point.board;
    m_passCount = point.passCount;
    m_secondsLeft = point.secondsLeft;
    m_turns = point.turns;
    m_view.discsChanged();
    m_view.secondsLeftShown(0, m_secondsLeft);
    m_announcer->AddFile("takeback");
    sayMoveNumber(point.moveNumber);
    showPlayer(point.player);
    moveCursorTo(point.cursorCol, point.cursorRow);
    m_announcer->AddFile("position");
    sayCell(false);
}

void Game::noteTurn(int player, int col, int row, int flips) {
    m_turns.byPlayer[player - 1] = TurnNote{col, row, flips};
    m_turns.lastPlayer = player;
}

void Game::noteTakeBackPoint() {
    m_takeBack.push_back(TakeBackPoint{m_board, m_moveNumber, m_player, m_passCount, m_secondsLeft,
                                       m_cursorCol, m_cursorRow, m_turns});
}

void Game::forgetTurns() {
    m_turns = {};
    m_takeBack.clear();
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
