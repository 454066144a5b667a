#pragma once

#include <QList>
#include <QString>
#include <QVoice>
#include <atomic>
#include <mutex>

#include "voice/SpeechEngine.h"

class QTextToSpeech;
class QThread;

namespace korvel {

// The real speech engine: Qt TextToSpeech (speech-dispatcher on Linux), kept
// on a thread of its own. Reaching the service can take seconds (the daemon
// may be spawned first), so the constructor only starts that thread: the
// window thread never waits for the service. Until the service answers, or
// when it never does, the voice list is empty and speech is silent.
//
// Speed 50..250 maps linearly onto Qt's rate -1..1 and pitch -100..100 onto
// Qt's pitch -1..1. Calls are queued to the speech thread in order.
class QtSpeechEngine : public SpeechEngine {
  public:
    // `engine`: the Qt engine plug-in to use; empty for Qt's default.
    explicit QtSpeechEngine(const QString& engine = QStringLiteral("speechd"));
    ~QtSpeechEngine() override;
    QtSpeechEngine(const QtSpeechEngine&) = delete;
    QtSpeechEngine& operator=(const QtSpeechEngine&) = delete;

    bool connecting() const override { return m_connecting; }
    std::vector<SpeechVoice> voices() const override;
    void select(int index) override;
    void setSpeed(int speed) override;
    void setPitch(int pitch) override;
    void say(const std::string& text) override;
    void stop() override;

    // Qt's rate and pitch for our units, clamped to -1..1.
    static double QtRate(int speed);
    static double QtPitch(int pitch);

  private:
    void connectService(const QString& engine);
    void finishConnecting();
    template <typename F>
    void post(F&& call);

    QThread* m_thread = nullptr;
    QObject* m_context = nullptr;       // lives on m_thread
    QTextToSpeech* m_speech = nullptr;  // created, used and deleted on m_thread only
    QList<QVoice> m_qtVoices;           // m_thread only
    std::atomic<bool> m_connecting{true};
    mutable std::mutex m_mutex;
    std::vector<SpeechVoice> m_voices;  // guarded by m_mutex
};

}  // namespace korvel
