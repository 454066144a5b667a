#pragma once

#include <functional>
#include <string>
#include <vector>

#include "SpeechEngine.h"

namespace korvel::testing {

// A recording speech engine. It lists the voices it is given (by default one
// English and two Russian ones, the second a preferred name) and logs what it is asked to say, as
// "speak <text>" with CR shown as \r, preceded by a "voice <name> speed=..
// pitch=.." line whenever the voice or its settings changed since the last
// utterance, and "stop" when speech is cut short.
class FakeSpeech : public SpeechEngine {
  public:
    FakeSpeech();

    std::vector<SpeechVoice> voiceList;
    bool stillConnecting = false;
    // Receives each log line; without it they are kept in `log`.
    std::function<void(const std::string&)> onLine;
    std::vector<std::string> log;
    int speed = 0, pitch = 0;
    int selected = -1;

    bool connecting() const override { return stillConnecting; }
    std::vector<SpeechVoice> voices() const override { return voiceList; }
    void select(int index) override { selected = index; }
    void setSpeed(int value) override { speed = value; }
    void setPitch(int value) override { pitch = value; }
    void say(const std::string& text) override;
    void stop() override;

  private:
    void write(const std::string& line);
    std::string m_lastVoice;
    bool m_speaking = false;
};

}  // namespace korvel::testing
