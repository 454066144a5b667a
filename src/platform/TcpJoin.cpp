#include "platform/TcpJoin.h"

#include <QTcpSocket>

namespace korvel {
namespace {

JoinFailure FailureOf(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return JoinFailure::Refused;
        case QAbstractSocket::SocketTimeoutError:
            return JoinFailure::TimedOut;
        default:  // host not found, network unreachable and the rest
            return JoinFailure::Unreachable;
    }
}

}  // namespace

TcpJoin::TcpJoin(Clock& clock) : m_clock(clock) {}

TcpJoin::~TcpJoin() {
    cancel();
}

std::string HostWithoutBrackets(const std::string& host) {
    const auto first = host.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    std::string name = host.substr(first, host.find_last_not_of(" \t") - first + 1);
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
    }
    return name;
}

void TcpJoin::start(const std::string& host, int port, int timeLimitMs) {
    cancel();
    const std::string name = HostWithoutBrackets(host);
    m_socket = new QTcpSocket();
    if (name.empty() || port <= 0 || port > 65535) {
        // Told from the event loop, as every other answer.
        const std::string text = name.empty() ? std::string("no host given")
                                              : "port " + std::to_string(port) + " is out of range";
        m_timer = m_clock.resumeAfter(0, [this, text] {
            m_timer = 0;
            failed(JoinFailure::Unreachable, text);
        });
        return;
    }
    m_timer = m_clock.resumeAfter(timeLimitMs, [this, timeLimitMs] {
        m_timer = 0;
        failed(JoinFailure::TimedOut, "no answer within " + std::to_string(timeLimitMs) + " ms");
    });
    QObject::connect(m_socket, &QAbstractSocket::connected, &m_context, [this] {
        if (m_starting) {
            answerLater([this] { connected(); });
        } else {
            connected();
        }
    });
    QObject::connect(m_socket, &QAbstractSocket::errorOccurred, &m_context,
                     [this](QAbstractSocket::SocketError error) {
                         const JoinFailure failure = FailureOf(error);
                         const std::string text = m_socket->errorString().toStdString();
                         if (m_starting) {
                             answerLater([this, failure, text] { failed(failure, text); });
                         } else {
                             failed(failure, text);
                         }
                     });
    // An address may be answered at once; the answer still comes from the event loop.
    m_starting = true;
    m_socket->connectToHost(QString::fromStdString(name), static_cast<quint16>(port));
    m_starting = false;
}

void TcpJoin::answerLater(std::function<void()> answer) {
    QObject::disconnect(m_socket, nullptr, &m_context, nullptr);
    m_clock.stopTimer(m_timer);
    m_timer = m_clock.resumeAfter(0, [this, answer = std::move(answer)] {
        m_timer = 0;
        answer();
    });
}

void TcpJoin::cancel() {
    if (QTcpSocket* socket = finish()) {
        socket->abort();
        CloseAfterWriting(socket, m_clock, 0);
    }
}

QTcpSocket* TcpJoin::finish() {
    if (m_timer != 0) {
        m_clock.stopTimer(m_timer);
        m_timer = 0;
    }
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    if (socket != nullptr) {
        QObject::disconnect(socket, nullptr, &m_context, nullptr);
    }
    return socket;
}

void TcpJoin::connected() {
    QTcpSocket* socket = finish();
    if (socket == nullptr) {
        return;
    }
    auto link = std::make_unique<TcpLink>(socket, m_clock);
    if (onConnected) {
        onConnected(std::move(link));
    }
}

void TcpJoin::failed(JoinFailure failure, const std::string& text) {
    QTcpSocket* socket = finish();
    if (socket == nullptr) {
        return;
    }
    socket->abort();
    CloseAfterWriting(socket, m_clock, 0);
    if (onFailed) {
        onFailed(failure, text.empty() ? std::string("cannot connect") : text);
    }
}

}  // namespace korvel
