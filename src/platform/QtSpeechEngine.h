#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "voice/SpeechEngine.h"

class QThread;
class QObject;

namespace korvel {

// One connection to the speech service as the speech thread uses it: Qt
// TextToSpeech in the program, a scripted one in the tests. It is created,
// called and deleted on the speech thread only. Creating it reaches the
// service, which may take seconds or, with a service that never answers,
// forever: only the speech thread waits for it.
class SpeechService {
  public:
    enum class State { Connecting, Ready, Failed };

    virtual ~SpeechService() = default;

    // A Failed connection is never called again.
    virtual State state() const = 0;
    // The voices, once Ready.
    virtual std::vector<SpeechVoice> voices() = 0;
    // `index` into voices(); rate and pitch -1..1.
    virtual void select(int index) = 0;
    virtual void setRate(double rate) = 0;
    virtual void setPitch(double pitch) = 0;
    virtual void say(const std::string& text) = 0;
    virtual void stop() = 0;

    // Run on the speech thread whenever state() may have changed.
    std::function<void()> onStateChanged;
};

using SpeechServiceFactory = std::function<std::unique_ptr<SpeechService>()>;

// The real speech engine: Qt TextToSpeech (speech-dispatcher on Linux), kept
// on a thread of its own. Reaching the service can take seconds (the daemon
// may be spawned first), so the constructor only starts that thread: the
// window thread never waits for the service. Until the service answers, or
// when it never does, the voice list is empty and speech is silent.
//
// The service may die or be restarted at any moment (it is shared with the
// player's screen reader). A connection that has failed is never called
// again: it is dropped, speech is silent, and a new one is made when speech
// is next needed (revive, say), with the voice, speed and pitch chosen before.
//
// Speed 50..250 maps linearly onto Qt's rate -1..1 and pitch -100..100 onto
// Qt's pitch -1..1. Calls are queued to the speech thread in order.
class QtSpeechEngine : public SpeechEngine {
  public:
    // `engine`: the Qt engine plug-in to use; empty for Qt's default.
    explicit QtSpeechEngine(const QString& engine = QStringLiteral("speechd"));
    // `connect` makes each connection on the speech thread. The destructor
    // waits at most `stopWaitMs` for the thread to end.
    QtSpeechEngine(SpeechServiceFactory connect, int stopWaitMs);
    ~QtSpeechEngine() override;
    QtSpeechEngine(const QtSpeechEngine&) = delete;
    QtSpeechEngine& operator=(const QtSpeechEngine&) = delete;

    bool connecting() const override;
    std::vector<SpeechVoice> voices() const override;
    void revive() override;
    void select(int index) override;
    void setSpeed(int speed) override;
    void setPitch(int pitch) override;
    void say(const std::string& text) override;
    void stop() override;

    // Qt's rate and pitch for our units, clamped to -1..1.
    static double QtRate(int speed);
    static double QtPitch(int pitch);

    // A connection over Qt TextToSpeech with the given engine plug-in.
    static std::unique_ptr<SpeechService> ConnectQt(const QString& engine);

  private:
    struct Shared;
    template <typename F>
    void post(F&& call);

    int m_stopWaitMs;
    QThread* m_thread = nullptr;
    QObject* m_context = nullptr;  // lives on m_thread
    // Everything the speech thread touches. Each queued call holds a share,
    // so it outlives the engine when the thread is stuck in the service.
    std::shared_ptr<Shared> m_shared;
};

}  // namespace korvel
