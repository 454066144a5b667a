#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "platform/TcpLink.h"

class QTcpServer;

namespace korvel {

// The hosting side of the network game: listens on one port of every address
// (IPv4 and IPv6) and hands every caller over as a link, until its owner
// holds a guest. While a guest is held, every further caller gets busyLine
// and is let go.
class TcpHost {
  public:
    // How long a turned-away caller is given to receive busyLine.
    static constexpr int kTurnAwayMs = 2000;
    // The most callers being turned away at once; more are reset at once.
    static constexpr int kMostTurnedAway = 16;

    // The clock bounds the turning away; it must outlive the host.
    explicit TcpHost(Clock& clock);
    ~TcpHost();
    TcpHost(const TcpHost&) = delete;
    TcpHost& operator=(const TcpHost&) = delete;

    // Starts listening on `port` (1..65535; 0 lets the system choose) after
    // stopping what listened before. False with errorText() when the port is
    // taken, not allowed or out of range.
    bool listen(int port);
    // Stops listening and forgets the guest; callers being turned away are
    // reset. The guest's link, if any, is its owner's to close.
    void stop();
    // The owner plays with a guest (true), or waits again for callers.
    void holdGuest(bool holding) { m_holding = holding; }

    bool isListening() const;
    bool holdsGuest() const { return m_holding; }
    // The port listened on (the chosen one after listen(0)); 0 when not listening.
    int port() const;
    // Why the last listen() failed.
    const std::string& errorText() const { return m_error; }

    // Said to every caller turned away, e.g. "bye busy\n".
    std::string busyLine;
    // A caller, connected, while no guest is held.
    std::function<void(std::unique_ptr<TcpLink>)> onCaller;

  private:
    void takeCallers();
    void turnAway(QTcpSocket* socket);

    Clock& m_clock;
    std::unique_ptr<QTcpServer> m_server;
    bool m_holding = false;
    bool m_taking = false;  // inside the server's news of a caller
    std::string m_error;
    std::vector<QPointer<QTcpSocket>> m_turnedAway;  // null once closed
    QObject m_context;
    std::shared_ptr<int> m_life = std::make_shared<int>(0);
};

// The machine's addresses on interfaces that are up and running, loopback left out.
std::vector<QHostAddress> InterfaceAddresses();

// The machine's IPv4 addresses (of InterfaceAddresses) in ascending order
// without repeats: what a host tells the other player.
std::vector<std::string> LocalAddresses();

}  // namespace korvel
