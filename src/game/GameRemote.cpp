// The other side of a network game: its moves, passes and time-outs wait for
// its turn and are checked with our own rules before they are played; an
// illegal one ends the game. When the connection ends, the player hears why
// and may keep the position before going back to the menu.
#include "game/Game.h"
#include "game/RemotePlayer.h"
#include "voice/Announcer.h"

namespace korvel {
namespace {

constexpr int kTimeOut = -1;  // the queue's mark of a time-out; 0 0 is a pass

}  // namespace

void Game::beginNetwork(const GameSetup& setup, const NetworkSide& side) {
    m_network = side;
    m_remoteQueue.clear();
    m_players.setPhrase(1, "white");
    m_players.setPhrase(2, "black");
    GameSetup network = setup;
    network.opponent = 3;
    begin(network);
}

void Game::remoteMove(int col, int row) {
    m_remoteQueue.emplace_back(col, row);
}

void Game::remotePass() {
    m_remoteQueue.emplace_back(0, 0);
}

void Game::remoteTimeOut() {
    m_remoteQueue.emplace_back(kTimeOut, kTimeOut);
}

void Game::remoteLost(const std::string& phrase, const std::string& reason) {
    m_network.remote = nullptr;  // nothing more goes out
    m_remoteQueue.clear();
    if (networkGame() && m_announcer != nullptr) {
        m_steps.start(lostConnection(phrase, reason));
    }
}

// The other side's turn: the local player may read the board, ask for help,
// save or quit meanwhile; what the other side did is played once the game
// waits again. A wait left from a game that has ended ends unheard.
Step<> Game::remoteTurn() {
    m_state = State::Waiting;
    m_remoteWaitGame = m_gameNumber;
    co_await m_steps.until([this] { return remoteArrived(); });
    if (m_gameNumber == m_remoteWaitGame) {
        takeRemote();
    }
}

// What the other side did, checked and played as a step of its own.
void Game::takeRemote() {
    const auto [col, row] = m_remoteQueue.front();
    m_remoteQueue.erase(m_remoteQueue.begin());
    if (!remoteLegal(col, row)) {
        refuseRemote();
    } else if (col == kTimeOut) {
        m_steps.start(timeOut());
    } else if (col == 0) {
        m_steps.start(remotePasses());
    } else {
        m_remoteCell = {col, row};
        m_steps.start(playRemoteMove());
    }
}

bool Game::remoteArrived() const {
    return m_gameNumber != m_remoteWaitGame ||
           (m_state == State::Waiting && !m_remoteQueue.empty());
}

// A time-out only in a timed game, a pass only without a move, a move by the rules.
bool Game::remoteLegal(int col, int row) {
    if (col == kTimeOut) {
        return m_setup.gameType % 2 == 0;
    }
    if (col == 0) {
        return GreedyCell(m_board, m_player) == 0;
    }
    return OnBoard(col, row) && CountFlips(m_board, col, row, m_player, m_flipMask) != 0;
}

Step<> Game::remotePasses() {
    m_state = State::Busy;
    m_announcer->AddFile(m_players.phrase(m_player));
    m_announcer->AddFile("passes");
    co_await handOverPass();
}

// A move the rules refuse: the game stops where it is, and the connection is
// ended with its reason, which comes back as a loss of the connection.
void Game::refuseRemote() {
    m_moveClock.stop();
    m_remoteQueue.clear();
    m_state = State::Waiting;  // the other side is still to move: no key can play
    if (RemotePlayer* remote = std::exchange(m_network.remote, nullptr)) {
        remote->illegalMove();
    }
}

// Waits for the step under way (a move's discs, a question, the result of a
// stage) to end first; a game that ended or was left meanwhile needs no word of it.
Step<> Game::lostConnection(std::string phrase, std::string reason) {
    const int game = m_gameNumber;
    auto settled =
        m_steps.until([this, game] { return m_gameNumber != game || m_state == State::Waiting; });
    co_await settled;
    if (game != m_gameNumber) {
        co_return;
    }
    m_state = State::Busy;
    m_moveClock.stop();
    m_announcer->Clear();
    m_announcer->AddFile(phrase);
    // Before the first move there is nothing to keep: the reason alone, and OK.
    const bool savable = m_moveNumber > 1 || m_stage > 1;
    if (savable) {
        m_announcer->AddFile("savequestion");
    }
    const Question question =
        savable ? Question{reason + "\r\nСохранить игру?", "Игра прервана", 99, true}
                : Question{reason, "Игра прервана", 33, false};
    auto asked = m_steps.ask<int>(
        [this, &question](auto answer) { m_view.ask(question, std::move(answer)); });
    const int answer = co_await asked;
    if (savable && answer == 1) {
        const char* said = co_await saveToSlot();
        m_announcer->Clear();
        m_announcer->AddFile(said);
        auto quiet = m_steps.until([this] { return m_announcer->Count() == 0; });
        co_await quiet;
    }
    m_state = State::Over;
    m_switches.stopMusic(*m_announcer);
    leaveToMenu();
}

}  // namespace korvel
