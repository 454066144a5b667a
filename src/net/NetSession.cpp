#include "net/NetSession.h"

#include <stdexcept>
#include <type_traits>

#include "core/Texts.h"

namespace korvel {
namespace {

// The bye sent with a fault; 0 where there is nobody to tell or nothing to say.
int ByeFor(NetFault fault) {
    switch (fault) {
        case NetFault::WrongCode:
            return static_cast<int>(ByeReason::WrongCode);
        case NetFault::VersionMismatch:
            return static_cast<int>(ByeReason::Version);
        case NetFault::MalformedMessage:
            return static_cast<int>(ByeReason::Malformed);
        case NetFault::LineTooLong:
            return static_cast<int>(ByeReason::LineTooLong);
        case NetFault::Flood:
            return static_cast<int>(ByeReason::Flood);
        case NetFault::IllegalMove:
            return static_cast<int>(ByeReason::IllegalMove);
        case NetFault::SilentPeer:
        case NetFault::TimedOut:
            return static_cast<int>(ByeReason::Silent);
        case NetFault::TooManyTries:
            return static_cast<int>(ByeReason::TryLater);
        case NetFault::OutOfTurn:
        case NetFault::EarlyTimeOut:
            return static_cast<int>(ByeReason::Malformed);
        default:
            return 0;
    }
}

bool IsCode(std::string_view code) {
    return code.size() == 4 && code.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

NetSession::NetSession(Clock& clock, NetLink& link, NetListener& listener,
                       NetSessionSettings settings)
    : m_clock(clock), m_link(link), m_listener(listener), m_settings(std::move(settings)) {
    if (!IsCode(m_settings.code)) {
        throw std::invalid_argument("a network game's code is four digits");
    }
    m_settings.playerName = MakePlayerName(m_settings.playerName);
    if (m_settings.role == NetRole::Host) {
        std::string line = EncodeMessage(m_settings.setup);
        line.pop_back();
        NetMessage read;
        if (DecodeMessage(line, read) != DecodeError::None) {
            throw std::invalid_argument("a network game's setup out of its ranges: " + line);
        }
    }
}

NetSession::~NetSession() {
    stopTimers();
}

void NetSession::start() {
    if (m_state != State::Idle) {
        return;
    }
    m_state = State::AwaitingHello;
    m_pingTimer = m_clock.startTimer(kPingIntervalMs, [this] { sendMessage(PingMessage{}); });
    m_handshakeTimer =
        m_clock.startTimer(m_settings.handshakeLimitMs, [this] { end(NetFault::TimedOut, true); });
    heard();
    if (m_settings.role == NetRole::Guest) {
        sendMessage(HelloMessage{kNetProtocolVersion, std::string(kVersionText), m_settings.code,
                                 m_settings.playerName});
    }
}

void NetSession::received(std::string_view bytes) {
    if (m_state == State::Idle) {
        start();
    }
    if (m_state == State::Closed) {
        return;
    }
    const auto result = m_reader.feed(bytes, m_clock.tickCount());
    const std::weak_ptr<char> life = m_life;
    for (const auto& line : result.lines) {
        NetMessage message;
        if (DecodeMessage(line, message) != DecodeError::None) {
            end(NetFault::MalformedMessage, true);
            return;
        }
        heard();
        handle(message);
        if (life.expired() || m_state == State::Closed) {
            return;
        }
    }
    if (result.fault != NetLineReader::Fault::None) {
        end(result.fault == NetLineReader::Fault::Flood ? NetFault::Flood : NetFault::LineTooLong,
            true);
    }
}

void NetSession::heard() {
    if (m_silenceTimer != 0) {
        m_clock.stopTimer(m_silenceTimer);
    }
    m_silenceTimer =
        m_clock.startTimer(kSilenceLimitMs, [this] { end(NetFault::SilentPeer, true); });
}

NetFault NetSession::faultOfBye(ByeReason reason) const {
    // The answers to a hello: a guest hears them before the host's hello, a
    // host the other version right after its own (a guest of another version
    // reads its hello's version alone).
    const bool guestAsking = m_settings.role == NetRole::Guest && m_state == State::AwaitingHello;
    const bool hostAnswered =
        m_settings.role == NetRole::Host && m_state == State::Playing && !m_heardSinceHello;
    switch (reason) {
        case ByeReason::Leaving:
            return NetFault::PeerQuit;
        case ByeReason::Busy:
            return guestAsking ? NetFault::Busy : NetFault::PeerFoundFault;
        case ByeReason::WrongCode:
            return guestAsking ? NetFault::WrongCode : NetFault::PeerFoundFault;
        case ByeReason::TryLater:
            return guestAsking ? NetFault::TooManyTries : NetFault::PeerFoundFault;
        case ByeReason::Version:
            return guestAsking || hostAnswered ? NetFault::VersionMismatch
                                               : NetFault::PeerFoundFault;
        default:
            return NetFault::PeerFoundFault;
    }
}

void NetSession::handleHello(const HelloMessage& hello) {
    m_heardHello = true;
    if (hello.protocolVersion != kNetProtocolVersion) {
        end(NetFault::VersionMismatch, true);
        return;
    }
    if (m_settings.role == NetRole::Host) {
        const Admission admission = m_settings.admit                ? m_settings.admit(hello.code)
                                    : hello.code == m_settings.code ? Admission::Admit
                                                                    : Admission::Wrong;
        if (admission != Admission::Admit) {
            end(admission == Admission::Wrong ? NetFault::WrongCode : NetFault::TooManyTries, true);
            return;
        }
    } else if (hello.code != m_settings.code) {
        // A host answers with the guest's own code: another one is no answer.
        end(NetFault::MalformedMessage, true);
        return;
    }
    m_peer = hello;
    if (m_settings.role == NetRole::Guest) {
        m_state = State::AwaitingSetup;
        return;
    }
    m_state = State::Playing;
    m_clock.stopTimer(m_handshakeTimer);
    m_handshakeTimer = 0;
    sendMessage(HelloMessage{kNetProtocolVersion, std::string(kVersionText), hello.code,
                             m_settings.playerName});
    sendMessage(m_settings.setup);
    m_listener.connected(m_settings.setup, m_peer.name);
}

void NetSession::handle(const NetMessage& message) {
    if (const auto* bye = std::get_if<ByeMessage>(&message)) {
        end(faultOfBye(bye->reason), false);
        return;
    }
    if (std::holds_alternative<PingMessage>(message)) {
        return;
    }
    if (m_state == State::Playing) {
        m_heardSinceHello = true;
    }
    if (m_state == State::AwaitingHello && std::holds_alternative<HelloMessage>(message)) {
        handleHello(std::get<HelloMessage>(message));
        return;
    }
    if (m_state == State::AwaitingSetup && std::holds_alternative<SetupMessage>(message)) {
        m_state = State::Playing;
        m_clock.stopTimer(m_handshakeTimer);
        m_handshakeTimer = 0;
        m_listener.connected(std::get<SetupMessage>(message), m_peer.name);
        return;
    }
    if (m_state != State::Playing) {
        end(NetFault::MalformedMessage, true);
        return;
    }
    std::visit(
        [this](const auto& m) {
            using Kind = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<Kind, MoveMessage>) {
                m_listener.moveReceived(m.turn, m.col, m.row);
            } else if constexpr (std::is_same_v<Kind, PassMessage>) {
                m_listener.passReceived(m.turn);
            } else if constexpr (std::is_same_v<Kind, TimeOutMessage>) {
                m_listener.timeOutReceived(m.turn);
            } else if constexpr (std::is_same_v<Kind, StageMessage>) {
                m_listener.stageReceived(m.stage);
            } else if constexpr (std::is_same_v<Kind, QuitMessage>) {
                shut(0);
                m_listener.quitReceived();
            } else {
                end(NetFault::MalformedMessage, true);  // a second hello or setup
            }
        },
        message);
}

void NetSession::linkClosed() {
    if (m_state != State::Closed) {
        end(NetFault::Disconnected, false);
    }
}

void NetSession::fail(NetFault fault) {
    if (m_state != State::Closed) {
        end(fault, m_state != State::Idle);
    }
}

void NetSession::close() {
    if (m_state != State::Closed) {
        shut(m_state == State::Idle ? 0 : static_cast<int>(ByeReason::Leaving));
    }
}

void NetSession::end(NetFault fault, bool tellPeer) {
    shut(tellPeer ? ByeFor(fault) : 0);
    m_listener.failed(fault);
}

void NetSession::shut(int reason) {
    stopTimers();
    m_state = State::Closed;
    if (reason != 0) {
        m_link.send(EncodeMessage(ByeMessage{static_cast<ByeReason>(reason)}));
    }
    m_link.close();
}

void NetSession::stopTimers() {
    for (auto* timer : {&m_pingTimer, &m_silenceTimer, &m_handshakeTimer}) {
        if (*timer != 0) {
            m_clock.stopTimer(*timer);
            *timer = 0;
        }
    }
}

bool NetSession::sendMessage(const NetMessage& message) {
    if (m_state == State::Closed || m_state == State::Idle) {
        return false;
    }
    m_link.send(EncodeMessage(message));
    return true;
}

namespace {
bool IsTurn(int turn) {
    return turn >= 1 && turn <= kMaxNetTurn;
}
}  // namespace

bool NetSession::sendMove(int turn, int col, int row) {
    return m_state == State::Playing && IsTurn(turn) && col >= 1 && col <= 8 && row >= 1 &&
           row <= 8 && sendMessage(MoveMessage{turn, col, row});
}

bool NetSession::sendPass(int turn) {
    return m_state == State::Playing && IsTurn(turn) && sendMessage(PassMessage{turn});
}

bool NetSession::sendTimeOut(int turn) {
    return m_state == State::Playing && IsTurn(turn) && sendMessage(TimeOutMessage{turn});
}

bool NetSession::sendStage(int stage) {
    return m_state == State::Playing && stage >= 1 && stage <= kMaxNetStage &&
           sendMessage(StageMessage{stage});
}

bool NetSession::sendQuit() {
    if (m_state != State::Playing) {
        return false;
    }
    sendMessage(QuitMessage{});
    shut(0);
    return true;
}

std::string_view NetStateName(NetSession::State state) {
    switch (state) {
        case NetSession::State::Idle:
            return "idle";
        case NetSession::State::AwaitingHello:
            return "awaiting-hello";
        case NetSession::State::AwaitingSetup:
            return "awaiting-setup";
        case NetSession::State::Playing:
            return "playing";
        case NetSession::State::Closed:
            return "closed";
    }
    return "?";
}

}  // namespace korvel
