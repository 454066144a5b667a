#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/Clock.h"

class QHostAddress;
class QTcpSocket;

namespace korvel {

// One connected TCP stream of the network game: bytes out, bytes in, and the
// news that the other side is gone. The line protocol above it splits lines.
//
// Callbacks run on the window thread from the event loop; any of them may
// destroy the link. Set onBytes and onClosed before the event loop runs again
// after the link was handed over: bytes that come earlier wait in the socket.
class TcpLink {
  public:
    // The most bytes waiting to go out. A peer that reads nothing would
    // otherwise make the queue grow without end; past this the link closes.
    static constexpr std::int64_t kWriteCap = 64 * 1024;
    // The most bytes read and not yet delivered (while onBytes is unset).
    static constexpr std::int64_t kReadCap = 64 * 1024;
    // How long a closed link may still spend handing over what it had queued.
    static constexpr int kLingerMs = 2000;

    // Takes over a connected socket. The clock bounds the closing; it must
    // outlive the link.
    TcpLink(QTcpSocket* socket, Clock& clock);
    // Closes as close() does.
    ~TcpLink();
    TcpLink(const TcpLink&) = delete;
    TcpLink& operator=(const TcpLink&) = delete;

    // Queues bytes to go out. False when the link is closed, and when these
    // bytes would pass kWriteCap: then the link is closed at once (reset) and
    // onClosed follows from the event loop.
    bool send(const std::string& bytes);
    // Our side ends the link: what was queued still goes out (for at most
    // kLingerMs), then the connection closes. onClosed is not called.
    void close();
    bool isOpen() const { return m_socket != nullptr; }
    // The other side's address as text ("192.168.1.5", "::1"), kept after
    // the link closed.
    const std::string& peerAddress() const { return m_peer; }
    // The other side's address as one guesser: an IPv4 address, or the /64
    // network of an IPv6 one (which one machine may fill with addresses).
    const std::string& peerGuesser() const { return m_guesser; }
    // What went each way so far: the bytes send() queued, and those handed to onBytes.
    std::uint64_t bytesSent() const { return m_sent; }
    std::uint64_t bytesReceived() const { return m_received; }

    // Bytes as they come, in pieces of any size.
    std::function<void(const std::string& bytes)> onBytes;
    // The peer closed, the connection was reset or failed, or the write cap
    // was passed: called once, after the last onBytes.
    std::function<void()> onClosed;

  private:
    void deliver();
    void lost();
    void release(bool reset);

    QTcpSocket* m_socket;
    Clock& m_clock;
    std::string m_peer;
    std::string m_guesser;
    bool m_reported = false;
    std::uint64_t m_sent = 0;
    std::uint64_t m_received = 0;
    QObject m_context;  // the socket's signals reach the link through it
    std::shared_ptr<int> m_life = std::make_shared<int>(0);
};

// Hands a socket over to closing on its own: queued bytes are written, then
// the connection closes; after `limitMs` it is reset. The socket deletes
// itself; until then QCoreApplication owns it. Connections of the caller to
// the socket must be gone before.
void CloseAfterWriting(QTcpSocket* socket, Clock& clock, int limitMs);

// Text of a socket's address: an IPv4 address reached over IPv6 reads as IPv4.
std::string AddressText(const QHostAddress& address);

}  // namespace korvel
