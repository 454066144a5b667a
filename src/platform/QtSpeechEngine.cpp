#include "platform/QtSpeechEngine.h"

#include <QTextToSpeech>
#include <QThread>
#include <algorithm>

namespace korvel {

QtSpeechEngine::QtSpeechEngine(const QString& engine) : m_thread(new QThread) {
    m_thread->setObjectName(QStringLiteral("korvel-speech"));
    m_context = new QObject;
    m_context->moveToThread(m_thread);
    m_thread->start();
    post([this, engine] { connectService(engine); });
}

QtSpeechEngine::~QtSpeechEngine() {
    // The thread's loop ends only after this, the last call queued to it.
    post([this] {
        delete m_speech;
        m_speech = nullptr;
        m_thread->quit();
    });
    // A service that never answers keeps the thread inside its connection
    // attempt; the program then leaves without it rather than hang.
    if (m_thread->wait(3000)) {
        delete m_context;
        delete m_thread;
    }
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

// On the speech thread: creating the Qt engine connects to the service, which
// speech-dispatcher may first have to spawn. Its state tells when it is done,
// at once or later by stateChanged.
void QtSpeechEngine::connectService(const QString& engine) {
    if (!engine.isEmpty() && !QTextToSpeech::availableEngines().contains(engine)) {
        finishConnecting();
        return;
    }
    m_speech = engine.isEmpty() ? new QTextToSpeech : new QTextToSpeech(engine);
    const auto settled = [this] {
        const QTextToSpeech::State state = m_speech->state();
        return state == QTextToSpeech::Ready || state == QTextToSpeech::Error;
    };
    if (settled()) {
        finishConnecting();
        return;
    }
    QObject::connect(m_speech, &QTextToSpeech::stateChanged, m_context, [this, settled] {
        if (m_connecting && settled()) {
            finishConnecting();
        }
    });
}

void QtSpeechEngine::finishConnecting() {
    std::vector<SpeechVoice> voices;
    if (m_speech != nullptr && m_speech->state() != QTextToSpeech::Error) {
        // Qt lists the voices of one locale at a time.
        const QLocale original = m_speech->locale();
        for (const QLocale& locale : m_speech->availableLocales()) {
            m_speech->setLocale(locale);
            m_qtVoices += m_speech->availableVoices();
        }
        m_speech->setLocale(original);
        for (const QVoice& voice : m_qtVoices) {
            voices.push_back({voice.name().toStdString(), voice.locale().name().toStdString()});
        }
    }
    {
        std::lock_guard lock(m_mutex);
        m_voices = std::move(voices);
    }
    m_connecting = false;
}

std::vector<SpeechVoice> QtSpeechEngine::voices() const {
    std::lock_guard lock(m_mutex);
    return m_voices;
}

void QtSpeechEngine::select(int index) {
    post([this, index] {
        if (m_speech != nullptr && index >= 0 && index < m_qtVoices.size() &&
            !(m_speech->voice() == m_qtVoices[index])) {
            m_speech->setLocale(m_qtVoices[index].locale());
            m_speech->setVoice(m_qtVoices[index]);
        }
    });
}

void QtSpeechEngine::setSpeed(int speed) {
    post([this, rate = QtRate(speed)] {
        if (m_speech != nullptr && m_speech->rate() != rate) {
            m_speech->setRate(rate);
        }
    });
}

void QtSpeechEngine::setPitch(int pitch) {
    post([this, value = QtPitch(pitch)] {
        if (m_speech != nullptr && m_speech->pitch() != value) {
            m_speech->setPitch(value);
        }
    });
}

void QtSpeechEngine::say(const std::string& text) {
    post([this, text = QString::fromStdString(text)] {
        if (m_speech == nullptr) {
            return;
        }
        m_speech->stop();
        if (!text.trimmed().isEmpty()) {
            m_speech->say(text);
        }
    });
}

void QtSpeechEngine::stop() {
    post([this] {
        if (m_speech != nullptr) {
            m_speech->stop();
        }
    });
}

}  // namespace korvel
