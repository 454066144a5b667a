// The other side of a network game: its moves, passes and time-outs wait for
// its turn and are checked with our own rules before they are played; an
// illegal one ends the game. When the connection ends, the player hears why
// and may keep the position before going back to the menu.
#include "game/Game.h"
#include "game/RemotePlayer.h"
#include "voice/Announcer.h"

namespace korvel {
void Game::beginNetwork(const GameSetup& setup, const NetworkSide& side) {
    m_table.setNetwork(side);
    m_remoteMoves.clear();
    m_ownTimeEnded = false;
    m_table.players().setPhrase(1, "white");
    m_table.players().setPhrase(2, "black");
    GameSetup network = setup;
    network.opponent = 3;
    begin(network);
}

void Game::remoteMove(int col, int row) {
    m_remoteMoves.add({RemoteMoves::Kind::Move, col, row, m_table.clock().tickCount()});
}

void Game::remotePass() {
    m_remoteMoves.add({RemoteMoves::Kind::Pass, 0, 0, m_table.clock().tickCount()});
}

void Game::remoteTimeOut() {
    m_remoteMoves.add({RemoteMoves::Kind::TimeOut, 0, 0, m_table.clock().tickCount()});
}

void Game::localTimedOut() {
    if (!m_table.networkGame() || m_table.remoteToMove() || m_table.state() == State::Over) {
        return;
    }
    if (m_table.state() == State::Waiting) {
        turnBegins(m_table.clock().tickCount());
        m_steps.start(timeOut());
    } else {
        m_ownTimeEnded = true;  // a move of the other side is still being played
    }
}

// Our clock of the turn counts from when the other side's turn came, or from
// our start of the stage when that is later; the other side's from when ours
// went out.
void Game::turnBegins(std::int64_t ms) {
    m_moveClock.setTurnStart(std::max(ms, m_stageBegan));
}

void Game::remoteLost(const std::string& phrase, const std::string& reason) {
    m_table.dropRemote();  // nothing more goes out
    m_remoteMoves.clear();
    if (m_table.networkGame() && m_table.attached()) {
        m_steps.start(m_questions.lostConnection(phrase, reason));
    }
}

// The other side's turn: the local player may read the board, ask for help,
// save or quit meanwhile; what the other side did is played once the game
// waits again.
Step<> Game::remoteTurn() {
    m_table.awaitMove();
    co_await m_steps.until([this] { return remoteArrived(); });
    takeRemote();
}

// What the other side did, checked and played as a step of its own.
void Game::takeRemote() {
    const RemoteMoves::Turn turn = m_remoteMoves.take();
    turnBegins(turn.arrivedAt);
    if (!LegalTurn(turn.kind, turn.col, turn.row, m_position.board(), m_position.mover(),
                   m_table.match().timed(), &m_position.flipsToMark())) {
        refuseRemote();
    } else if (turn.kind == RemoteMoves::Kind::TimeOut) {
        m_steps.start(timeOut());
    } else if (turn.kind == RemoteMoves::Kind::Pass) {
        m_steps.start(remotePasses());
    } else {
        m_remoteCell = {turn.col, turn.row};
        m_steps.start(playRemoteMove());
    }
}

bool Game::remoteArrived() const {
    return m_table.state() == State::Waiting && !m_remoteMoves.empty();
}

Step<> Game::remotePasses() {
    m_table.hold();
    m_table.announcer().AddFile(m_table.players().phrase(m_position.mover()));
    m_table.announcer().AddFile("passes");
    co_await handOverPass();
}

// A move the rules refuse: the game stops where it is, and the connection is
// ended with its reason, which comes back as a loss of the connection.
void Game::refuseRemote() {
    m_moveClock.stop();
    m_remoteMoves.clear();
    m_table.awaitMove();  // the other side is still to move: no key can play
    if (RemotePlayer* remote = m_table.dropRemote()) {
        remote->illegalMove();
    }
}

}  // namespace korvel
