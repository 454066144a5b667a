#include "platform/TcpLink.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <algorithm>
#include <iterator>

namespace korvel {

TcpLink::TcpLink(QTcpSocket* socket, Clock& clock)
    : m_socket(socket),
      m_clock(clock),
      m_peer(AddressText(socket->peerAddress())),
      m_guesser(m_peer) {
    if (m_peer.find(':') != std::string::npos) {
        Q_IPV6ADDR bytes = socket->peerAddress().toIPv6Address();
        std::fill(std::begin(bytes.c) + 8, std::end(bytes.c), quint8{0});
        m_guesser = QHostAddress(bytes).toString().toStdString() + "/64";
    }
    m_socket->setParent(nullptr);
    m_socket->setReadBufferSize(kReadCap);
    QObject::connect(m_socket, &QIODevice::readyRead, &m_context, [this] { deliver(); });
    QObject::connect(m_socket, &QAbstractSocket::disconnected, &m_context, [this] { lost(); });
    QObject::connect(m_socket, &QAbstractSocket::errorOccurred, &m_context, [this] { lost(); });
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        // Gone before it was handed over: told from the event loop, once
        // the receiver has set its callbacks.
        QMetaObject::invokeMethod(
            &m_context, [this] { lost(); }, Qt::QueuedConnection);
    }
}

TcpLink::~TcpLink() {
    close();
}

bool TcpLink::send(const std::string& bytes) {
    if (m_socket == nullptr) {
        return false;
    }
    if (m_socket->bytesToWrite() + static_cast<std::int64_t>(bytes.size()) > kWriteCap) {
        release(true);
        m_reported = true;
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                if (onClosed) {
                    onClosed();
                }
            },
            Qt::QueuedConnection);
        return false;
    }
    m_socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    m_sent += bytes.size();
    return true;
}

void TcpLink::close() {
    m_reported = true;
    release(false);
}

void TcpLink::deliver() {
    if (m_socket == nullptr || !onBytes || m_socket->bytesAvailable() <= 0) {
        return;
    }
    const QByteArray data = m_socket->readAll();
    m_received += static_cast<std::uint64_t>(data.size());
    onBytes(std::string(data.constData(), static_cast<std::size_t>(data.size())));
}

void TcpLink::lost() {
    if (m_reported || m_socket == nullptr) {
        return;
    }
    m_reported = true;
    // The last bytes before the end still count.
    const std::weak_ptr<int> life = m_life;
    deliver();
    if (life.expired()) {
        return;
    }
    release(false);
    if (onClosed) {
        onClosed();
    }
}

void TcpLink::release(bool reset) {
    if (m_socket == nullptr) {
        return;
    }
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    QObject::disconnect(socket, nullptr, &m_context, nullptr);
    if (reset) {
        socket->abort();
    }
    CloseAfterWriting(socket, m_clock, kLingerMs);
}

void CloseAfterWriting(QTcpSocket* socket, Clock& clock, int limitMs) {
    // Owned by the application until it is gone, so that none outlives it.
    socket->setParent(QCoreApplication::instance());
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    const QPointer<QTcpSocket> guard(socket);
    clock.singleShot(limitMs, [guard] {
        if (guard) {
            guard->abort();
            guard->deleteLater();
        }
    });
    socket->disconnectFromHost();
}

std::string AddressText(const QHostAddress& address) {
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    const QString text = isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
    return text.toStdString();
}

}  // namespace korvel
