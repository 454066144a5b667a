#include "platform/QtSpeechEngine.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <QDir>
#include <QLocale>
#include <QTextToSpeech>
#include <QThread>
#include <QVoice>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <optional>

namespace korvel {
namespace {

// The speech thread's time to end when the engine goes; after it the engine
// leaves the thread behind rather than hold up the program.
constexpr int kStopWaitMs = 1000;

// The stream sockets open in this process, by descriptor and inode.
std::vector<std::pair<int, ino_t>> StreamSockets() {
    std::vector<std::pair<int, ino_t>> out;
    for (const QString& name : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files)) {
        const int fd = name.toInt();
        struct stat st {};
        int type = 0;
        socklen_t length = sizeof type;
        if (::fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode) &&
            ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_STREAM) {
            out.emplace_back(fd, st.st_ino);
        }
    }
    return out;
}

// Qt TextToSpeech as a connection. Qt's speech-dispatcher plug-in does not
// notice a service that has died: it calls on into libspeechd, which then
// crashes. So besides Qt's own Error state the connection watches the
// sockets that reaching the service opened: once the service's end is gone
// (or the socket was closed), the connection counts as failed before any
// call is made on it.
class QtService : public SpeechService {
  public:
    explicit QtService(const QString& engine) {
        if (!engine.isEmpty() && !QTextToSpeech::availableEngines().contains(engine)) {
            return;
        }
        const auto before = StreamSockets();
        m_speech = engine.isEmpty() ? new QTextToSpeech : new QTextToSpeech(engine);
        for (const auto& socket : StreamSockets()) {
            if (std::find(before.begin(), before.end(), socket) == before.end()) {
                m_sockets.push_back(socket);
            }
        }
        QObject::connect(m_speech, &QTextToSpeech::stateChanged, m_speech, [this] {
            if (onStateChanged) {
                onStateChanged();
            }
        });
    }
    ~QtService() override { delete m_speech; }
    QtService(const QtService&) = delete;
    QtService& operator=(const QtService&) = delete;

    State state() const override {
        if (m_speech == nullptr || m_speech->state() == QTextToSpeech::Error) {
            return State::Failed;
        }
        for (const auto& [fd, inode] : m_sockets) {
            struct stat st {};
            pollfd watch{fd, POLLRDHUP, 0};
            if (::fstat(fd, &st) != 0 || st.st_ino != inode || ::poll(&watch, 1, 0) < 0 ||
                (watch.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0) {
                return State::Failed;
            }
        }
        return State::Ready;
    }

    std::vector<SpeechVoice> voices() override {
        // Qt lists the voices of one locale at a time.
        m_voices.clear();
        const QLocale original = m_speech->locale();
        for (const QLocale& locale : m_speech->availableLocales()) {
            m_speech->setLocale(locale);
            m_voices += m_speech->availableVoices();
        }
        m_speech->setLocale(original);
        std::vector<SpeechVoice> out;
        for (const QVoice& voice : m_voices) {
            out.push_back({voice.name().toStdString(), voice.locale().name().toStdString()});
        }
        return out;
    }

    void select(int index) override {
        if (index >= 0 && index < m_voices.size() && !(m_speech->voice() == m_voices[index])) {
            m_speech->setLocale(m_voices[index].locale());
            m_speech->setVoice(m_voices[index]);
        }
    }
    void setRate(double rate) override { m_speech->setRate(rate); }
    void setPitch(double pitch) override { m_speech->setPitch(pitch); }
    void say(const std::string& text) override { m_speech->say(QString::fromStdString(text)); }
    void stop() override { m_speech->stop(); }

  private:
    QTextToSpeech* m_speech = nullptr;
    QList<QVoice> m_voices;
    std::vector<std::pair<int, ino_t>> m_sockets;  // the service's, opened when reaching it
};

// Threads left behind in a service that never answered: kept reachable (the
// list itself is never destroyed), as they may still run the calls queued to
// them, until the process ends.
void Abandon(QThread* thread, QObject* context) {
    static std::mutex mutex;
    static auto* abandoned = new std::vector<std::pair<QThread*, QObject*>>;
    std::lock_guard lock(mutex);
    abandoned->emplace_back(thread, context);
}

}  // namespace

struct QtSpeechEngine::Shared {
    explicit Shared(SpeechServiceFactory factory) : connect(std::move(factory)) {}

    const SpeechServiceFactory connect;
    std::atomic<bool> connecting{true};
    // No usable connection: the first attempt failed or the service went away.
    std::atomic<bool> lost{false};
    mutable std::mutex mutex;
    std::vector<SpeechVoice> voices;  // guarded by mutex: what the window thread sees

    // The speech thread's own.
    std::unique_ptr<SpeechService> service;
    std::vector<SpeechVoice> serviceVoices;
    // What was asked for, and what the connection has been given.
    std::optional<SpeechVoice> wantedVoice;
    std::optional<double> rate, pitch;
    int appliedVoice = -1;
    std::optional<double> appliedRate, appliedPitch;

    // Makes a new connection, dropping the old one.
    void Connect() {
        connecting = true;
        service.reset();
        serviceVoices.clear();
        appliedVoice = -1;
        appliedRate.reset();
        appliedPitch.reset();
        service = connect();
        if (service == nullptr) {
            Settle();
            return;
        }
        service->onStateChanged = [this] {
            if (connecting && service->state() != SpeechService::State::Connecting) {
                Settle();
            }
        };
        if (service->state() != SpeechService::State::Connecting) {
            Settle();
        }
    }

    // Also run from the connection's own state signal: it only looks, and
    // leaves dropping a failed connection to the next queued call.
    void Settle() {
        const bool works = service != nullptr && service->state() == SpeechService::State::Ready;
        if (works) {
            serviceVoices = service->voices();
        }
        lost = !works;
        {
            std::lock_guard lock(mutex);
            voices = serviceVoices;
        }
        connecting = false;
    }

    // True when the connection may be called; a failed one is dropped here
    // (on the speech thread, where it lives) and never called again.
    bool Usable() {
        if (service != nullptr && service->state() == SpeechService::State::Failed) {
            service.reset();
            serviceVoices.clear();
            lost = true;
        }
        return service != nullptr;
    }

    // Gives the connection the voice, rate and pitch asked for, each call
    // only while the connection still works.
    void Apply() {
        if (wantedVoice) {
            const auto it = std::find_if(
                serviceVoices.begin(), serviceVoices.end(), [this](const SpeechVoice& v) {
                    return v.name == wantedVoice->name && v.locale == wantedVoice->locale;
                });
            const int index =
                it == serviceVoices.end() ? -1 : static_cast<int>(it - serviceVoices.begin());
            if (index >= 0 && index != appliedVoice && Usable()) {
                service->select(index);
                appliedVoice = index;
            }
        }
        if (rate && rate != appliedRate && Usable()) {
            service->setRate(*rate);
            appliedRate = rate;
        }
        if (pitch && pitch != appliedPitch && Usable()) {
            service->setPitch(*pitch);
            appliedPitch = pitch;
        }
    }
};

std::unique_ptr<SpeechService> QtSpeechEngine::ConnectQt(const QString& engine) {
    return std::make_unique<QtService>(engine);
}

QtSpeechEngine::QtSpeechEngine(const QString& engine)
    : QtSpeechEngine([engine] { return ConnectQt(engine); }, kStopWaitMs) {
    // libspeechd writes to the service's socket without guarding against a
    // closed one: a service that dies under a call must make the write fail,
    // not end the program with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
}

QtSpeechEngine::QtSpeechEngine(SpeechServiceFactory connect, int stopWaitMs)
    : m_stopWaitMs(stopWaitMs),
      m_thread(new QThread),
      m_shared(std::make_shared<Shared>(std::move(connect))) {
    m_thread->setObjectName(QStringLiteral("korvel-speech"));
    m_context = new QObject;
    m_context->moveToThread(m_thread);
    m_thread->start();
    post([s = m_shared] { s->Connect(); });
}

QtSpeechEngine::~QtSpeechEngine() {
    // The thread's loop ends only after this, the last call queued to it.
    post([s = m_shared, thread = m_thread] {
        s->service.reset();
        thread->quit();
    });
    if (m_thread->wait(m_stopWaitMs)) {
        delete m_context;
        delete m_thread;
        return;
    }
    // A service that never answers keeps the thread inside a call to it. The
    // calls queued behind it hold their share of the state, so they stay
    // safe to run; the thread and its queue are left to the process's end.
    Abandon(m_thread, m_context);
}

template <typename F>
void QtSpeechEngine::post(F&& call) {
    QMetaObject::invokeMethod(m_context, std::forward<F>(call), Qt::QueuedConnection);
}

double QtSpeechEngine::QtRate(int speed) {
    const double middle = (kMinSpeed + kMaxSpeed) / 2.0;
    return std::clamp((speed - middle) / (kMaxSpeed - middle), -1.0, 1.0);
}

double QtSpeechEngine::QtPitch(int pitch) {
    return std::clamp(static_cast<double>(pitch) / kMaxPitch, -1.0, 1.0);
}

bool QtSpeechEngine::connecting() const {
    return m_shared->connecting;
}

std::vector<SpeechVoice> QtSpeechEngine::voices() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->voices;
}

void QtSpeechEngine::revive() {
    // While a connection is being made, or one works, there is nothing to do.
    if (m_shared->connecting || !m_shared->lost) {
        return;
    }
    m_shared->connecting = true;
    post([s = m_shared] {
        if (!s->Usable()) {
            s->Connect();
        } else {
            s->connecting = false;
        }
    });
}

void QtSpeechEngine::select(int index) {
    std::optional<SpeechVoice> voice;
    {
        std::lock_guard lock(m_shared->mutex);
        if (index >= 0 && index < static_cast<int>(m_shared->voices.size())) {
            voice = m_shared->voices[static_cast<std::size_t>(index)];
        }
    }
    if (voice) {
        post([s = m_shared, voice] {
            s->wantedVoice = voice;
            s->Apply();
        });
    }
}

void QtSpeechEngine::setSpeed(int speed) {
    post([s = m_shared, rate = QtRate(speed)] {
        s->rate = rate;
        s->Apply();
    });
}

void QtSpeechEngine::setPitch(int pitch) {
    post([s = m_shared, value = QtPitch(pitch)] {
        s->pitch = value;
        s->Apply();
    });
}

void QtSpeechEngine::say(const std::string& text) {
    post([s = m_shared, text] {
        if (!s->Usable()) {
            s->Connect();  // speech is needed again: a new connection
        }
        s->Apply();
        if (s->Usable()) {
            s->service->stop();
        }
        if (QString::fromStdString(text).trimmed().isEmpty()) {
            return;
        }
        if (s->Usable()) {
            s->service->say(text);
        }
    });
}

void QtSpeechEngine::stop() {
    post([s = m_shared] {
        if (s->Usable()) {
            s->service->stop();
        }
    });
}

}  // namespace korvel
