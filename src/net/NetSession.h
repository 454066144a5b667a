#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/Clock.h"
#include "net/NetFault.h"
#include "net/NetLineReader.h"
#include "net/NetMessage.h"

namespace korvel {

// The connection under a session, given by the platform over a TCP socket.
// send() queues bytes for the peer; close() ends the connection once what was
// queued has gone out (QAbstractSocket::disconnectFromHost does both). Neither
// may call back into the session before it returns; a call that does is
// ignored, as the session is already closed when it closes the link.
class NetLink {
  public:
    virtual ~NetLink() = default;
    virtual void send(const std::string& bytes) = 0;
    virtual void close() = 0;
};

// What a session reports to the game. Each report is the last thing the
// session does in the call that makes it, so a listener may destroy the
// session from inside any report.
class NetListener {
  public:
    virtual ~NetListener() = default;
    // The handshake is done: the game the host set up, and the other player's name.
    virtual void connected(const SetupMessage& setup, const std::string& peerName) = 0;
    // The other side's turns, each with its turn number as it came.
    virtual void moveReceived(int turn, int col, int row) = 0;
    virtual void passReceived(int turn) = 0;
    virtual void timeOutReceived(int turn) = 0;
    // The other player abandoned the game; the session is closed.
    virtual void quitReceived() = 0;
    virtual void stageReceived(int stage) = 0;
    // The session is closed by a fault; nothing more is reported.
    virtual void failed(NetFault fault) = 0;
};

enum class NetRole { Host, Guest };

// What a host makes of a guest's code.
enum class Admission {
    Admit,     // the code is the game's
    Wrong,     // it is not: bye 3
    TryLater,  // the guest's address has guessed too often; not even looked at: bye 10
};

struct NetSessionSettings {
    NetRole role = NetRole::Guest;
    std::string code;        // four digits: the host's own, or the one the guest typed
    std::string playerName;  // as typed; MakePlayerName makes it sendable
    SetupMessage setup;      // the host's game; a guest's is not used
    // How long the handshake may take from start().
    int handshakeLimitMs = 10000;
    // The host's judge of a guest's code (the code's keeper limits guesses);
    // without one, the code is compared with `code`. A host answers an
    // admitted guest with its own hello carrying the guest's code.
    std::function<Admission(const std::string& code)> admit;
};

// The protocol's state machine for one side of a network game; see
// docs/network.md. Every timer is on the one clock. The guest sends hello on
// start() and waits for the host's hello and setup; the host waits for the
// guest's hello, checks its protocol version and code, and answers with hello
// and setup, or with a bye and the fault. Both sides ping every
// kPingIntervalMs; nothing heard for kSilenceLimitMs is the fault SilentPeer,
// and no finished handshake within the settings' limit the fault TimedOut.
// A peer's bye means what its reason says only where that reason can come
// (busy, a wrong code, another version, try later: in answer to a hello);
// anywhere else it is the peer finding a fault.
//
// Once closed (by a fault, a quit either way, or close()) a session sends
// nothing, reports nothing, and has no timer running.
class NetSession {
  public:
    static constexpr int kPingIntervalMs = 5000;
    static constexpr int kSilenceLimitMs = 15000;

    enum class State { Idle, AwaitingHello, AwaitingSetup, Playing, Closed };

    // Throws std::invalid_argument when the code is not four digits, or a
    // host's setup is not one a guest would accept.
    NetSession(Clock& clock, NetLink& link, NetListener& listener, NetSessionSettings settings);
    ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    // The connection is up: the handshake begins.
    void start();
    // From the platform: bytes that came, in any pieces (bytes before start()
    // start the session first); the end of the connection.
    void received(std::string_view bytes);
    void linkClosed();

    // Ends the session over a fault the game found (IllegalMove) or the
    // platform met (Unreachable, Refused, TimedOut, Disconnected): tells the
    // peer why where there is a reason to give, closes the link, and reports
    // failed(fault). Nothing once closed.
    void fail(NetFault fault);
    // Ends the session by the player's will (leaving the game's page, the end
    // of a match, closing the program): "bye 1", the link closed, no report.
    void close();

    // The game's own messages; false (nothing sent) unless playing, or when a
    // field is out of its range. sendQuit closes the session after sending.
    bool sendMove(int turn, int col, int row);
    bool sendPass(int turn);
    bool sendTimeOut(int turn);
    bool sendQuit();
    bool sendStage(int stage);

    State state() const { return m_state; }
    bool isOpen() const { return m_state != State::Closed; }
    NetRole role() const { return m_settings.role; }
    // The peer's hello, once received (its name, its program version).
    const HelloMessage& peerHello() const { return m_peer; }
    // The peer said hello (of any version, with any code): it is a Korvel, not a stranger.
    bool heardHello() const { return m_heardHello; }

  private:
    void handle(const NetMessage& message);
    void handleHello(const HelloMessage& hello);
    // The fault a peer's bye stands for in this state.
    NetFault faultOfBye(ByeReason reason) const;
    bool sendMessage(const NetMessage& message);
    void heard();
    // Closes the session: stops the timers, says bye when `reason` is not 0,
    // closes the link.
    void shut(int reason);
    void end(NetFault fault, bool tellPeer);
    void stopTimers();

    Clock& m_clock;
    NetLink& m_link;
    NetListener& m_listener;
    NetSessionSettings m_settings;
    State m_state = State::Idle;
    NetLineReader m_reader;
    HelloMessage m_peer;
    bool m_heardHello = false;
    bool m_heardSinceHello = false;  // a line after the handshake, pings aside
    Clock::TimerId m_pingTimer = 0;
    Clock::TimerId m_silenceTimer = 0;
    Clock::TimerId m_handshakeTimer = 0;
    // Expires with the session: a report may destroy it.
    std::shared_ptr<char> m_life = std::make_shared<char>();
};

std::string_view NetStateName(NetSession::State state);

}  // namespace korvel
