#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "platform/TcpLink.h"

class QTcpSocket;

namespace korvel {

// Why joining a host failed.
enum class JoinFailure {
    Unreachable,  // the name is not found, the network or host cannot be reached
    Refused,      // nobody listens on that port
    TimedOut,     // no answer within the time limit
};

// The joining side of the network game: connects to a host by name or
// address (IPv4 or IPv6, "[::1]" as well as "::1") within a time limit.
// Exactly one of onConnected and onFailed answers each start(); either may
// destroy the joiner.
class TcpJoin {
  public:
    static constexpr int kTimeLimitMs = 10000;

    // The clock runs the time limit; it must outlive the joiner.
    explicit TcpJoin(Clock& clock);
    ~TcpJoin();
    TcpJoin(const TcpJoin&) = delete;
    TcpJoin& operator=(const TcpJoin&) = delete;

    // Starts connecting, dropping an attempt still under way (which then
    // reports nothing). Names are looked up by the system.
    void start(const std::string& host, int port, int timeLimitMs = kTimeLimitMs);
    // Drops the attempt under way; nothing is reported.
    void cancel();
    bool isConnecting() const { return m_socket != nullptr; }

    std::function<void(std::unique_ptr<TcpLink>)> onConnected;
    std::function<void(JoinFailure failure, const std::string& text)> onFailed;

  private:
    void connected();
    void failed(JoinFailure failure, const std::string& text);
    // Stops listening to the socket and gives `answer` to the event loop.
    void answerLater(std::function<void()> answer);
    // Ends the attempt: the socket is dropped or handed on, the timer stops.
    QTcpSocket* finish();

    Clock& m_clock;
    QTcpSocket* m_socket = nullptr;
    Clock::TimerId m_timer = 0;  // the time limit, or an answer on its way
    bool m_starting = false;     // inside connectToHost
    QObject m_context;
};

// "[::1]" -> "::1"; spaces around are dropped.
std::string HostWithoutBrackets(const std::string& host);

}  // namespace korvel
