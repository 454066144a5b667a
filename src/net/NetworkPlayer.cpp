#include "net/NetworkPlayer.h"

namespace korvel {

std::optional<NetStartPosition> ToNetStart(const std::optional<std::pair<Board, int>>& start) {
    if (!start) {
        return std::nullopt;
    }
    NetStartPosition position;
    for (std::size_t i = 0; i < position.cells.size(); ++i) {
        position.cells[i] = static_cast<std::uint8_t>(start->first.cells[i]);
    }
    position.firstPlayer = start->second;
    return position;
}

std::optional<std::pair<Board, int>> FromNetStart(const std::optional<NetStartPosition>& start) {
    if (!start) {
        return std::nullopt;
    }
    Board board;
    for (std::size_t i = 0; i < board.cells.size(); ++i) {
        board.cells[i] = static_cast<CellCode>(start->cells[i]);
    }
    return std::pair{board, start->firstPlayer};
}

NetworkPlayer::NetworkPlayer(Clock& clock, Game& game, NetLink& link, NetSessionSettings settings,
                             std::optional<std::pair<Board, int>> hostStart, Hooks hooks)
    : m_game(game),
      m_hooks(std::move(hooks)),
      m_hostStart(std::move(hostStart)),
      m_session(clock, link, *this, std::move(settings)) {}

// Gone with the connection: the game, back at the menu or closing, sends
// nothing more to it.
NetworkPlayer::~NetworkPlayer() {
    m_game.forgetRemote(this);
}

void NetworkPlayer::connected(const SetupMessage& setup, const std::string&) {
    const bool host = m_session.role() == NetRole::Host;
    NetworkSide side;
    side.remote = this;
    side.localPlayer = host ? 1 : 2;
    side.start = host ? m_hostStart : FromNetStart(setup.start);
    m_playing = true;
    if (m_hooks.starting) {
        m_hooks.starting();
    }
    m_game.beginNetwork(GameSetup{setup.gameType, 3, 1, setup.secondsPerMove}, side);
}

void NetworkPlayer::moveReceived(int col, int row) {
    m_game.remoteMove(col, row);
}

void NetworkPlayer::passReceived() {
    m_game.remotePass();
}

void NetworkPlayer::timeOutReceived() {
    m_game.remoteTimeOut();
}

void NetworkPlayer::quitReceived() {
    failed(NetFault::PeerQuit);
}

// The game checks the stages itself: each side plays the same games in turn.
void NetworkPlayer::stageReceived(int) {}

void NetworkPlayer::failed(NetFault fault) {
    if (!m_playing) {
        if (m_hooks.failedBeforeGame) {
            m_hooks.failedBeforeGame(fault);  // last: it may destroy this
        }
        return;
    }
    m_playing = false;
    m_game.remoteLost(std::string(NetFaultPhrase(fault)), std::string(NetFaultText(fault)));
}

void NetworkPlayer::moved(int col, int row) {
    m_session.sendMove(col, row);
}

void NetworkPlayer::passed() {
    m_session.sendPass();
}

void NetworkPlayer::timedOut() {
    m_session.sendTimeOut();
}

void NetworkPlayer::quit() {
    m_playing = false;
    m_session.sendQuit();
}

void NetworkPlayer::stageStarted(int stage) {
    m_session.sendStage(stage);
}

void NetworkPlayer::illegalMove() {
    m_session.fail(NetFault::IllegalMove);
}

}  // namespace korvel
