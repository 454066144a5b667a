#include "platform/TcpHost.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QTcpServer>
#include <algorithm>

namespace korvel {

TcpHost::TcpHost(Clock& clock) : m_clock(clock) {}

TcpHost::~TcpHost() {
    stop();
}

bool TcpHost::listen(int port) {
    stop();
    m_error.clear();
    if (port < 0 || port > 65535) {
        m_error = "port " + std::to_string(port) + " is out of range";
        return false;
    }
    auto server = std::make_unique<QTcpServer>();
    // Any is both IPv4 and IPv6 where the system has both.
    if (!server->listen(QHostAddress::Any, static_cast<quint16>(port))) {
        m_error = server->errorString().toStdString();
        if (m_error.empty()) {
            m_error = "cannot listen on port " + std::to_string(port);
        }
        return false;
    }
    QObject::connect(server.get(), &QTcpServer::newConnection, &m_context,
                     [this] { takeCallers(); });
    m_server = std::move(server);
    return true;
}

void TcpHost::stop() {
    m_holding = false;
    if (m_server) {
        QObject::disconnect(m_server.get(), nullptr, &m_context, nullptr);
        // Deleted with the callers it had not handed out; not while it is
        // telling of a caller.
        QTcpServer* server = m_server.release();
        server->close();
        if (m_taking) {
            server->setParent(QCoreApplication::instance());
            server->deleteLater();
        } else {
            delete server;
        }
    }
    for (const QPointer<QTcpSocket>& socket : m_turnedAway) {
        if (socket) {
            socket->abort();
            socket->deleteLater();
        }
    }
    m_turnedAway.clear();
}

bool TcpHost::isListening() const {
    return m_server != nullptr && m_server->isListening();
}

int TcpHost::port() const {
    return isListening() ? m_server->serverPort() : 0;
}

void TcpHost::takeCallers() {
    const std::weak_ptr<int> life = m_life;
    m_taking = true;
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket* socket = m_server->nextPendingConnection();
        if (socket == nullptr) {
            break;
        }
        if (m_holding || !onCaller) {
            turnAway(socket);
            continue;
        }
        onCaller(std::make_unique<TcpLink>(socket, m_clock));
        if (life.expired()) {
            return;
        }
    }
    m_taking = false;
}

void TcpHost::turnAway(QTcpSocket* socket) {
    std::erase_if(m_turnedAway, [](const QPointer<QTcpSocket>& s) { return s.isNull(); });
    socket->setParent(nullptr);
    if (static_cast<int>(m_turnedAway.size()) >= kMostTurnedAway) {
        // A flood of callers: no line for these.
        socket->abort();
        CloseAfterWriting(socket, m_clock, 0);
        return;
    }
    socket->write(busyLine.data(), static_cast<qint64>(busyLine.size()));
    m_turnedAway.emplace_back(socket);
    CloseAfterWriting(socket, m_clock, kTurnAwayMs);
}

std::vector<QHostAddress> InterfaceAddresses() {
    std::vector<QHostAddress> found;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            found.push_back(entry.ip());
        }
    }
    return found;
}

std::vector<std::string> LocalAddresses() {
    std::vector<quint32> found;
    for (const QHostAddress& ip : InterfaceAddresses()) {
        if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback()) {
            found.push_back(ip.toIPv4Address());
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::vector<std::string> texts;
    for (const quint32 ip : found) {
        texts.push_back(QHostAddress(ip).toString().toStdString());
    }
    return texts;
}

}  // namespace korvel
