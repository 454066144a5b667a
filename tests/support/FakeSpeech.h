#pragma once

#include <functional>
#include <string>
#include <vector>

#include "voice/SpeechEngine.h"

namespace korvel::testing {

// A recording speech engine. It lists the voices it is given (by default one
// English and two Russian ones, the second with a preferred name) and logs
// what it is asked to say as "speak <text>", CR shown as \r, after a "voice
// <name> speed=.. pitch=.." line whenever those changed since the last
// utterance, and "stop" when speech is cut short.
class FakeSpeech : public SpeechEngine {
  public:
    std::vector<SpeechVoice> voiceList{{"English", "en"}, {"Russian", "ru"}, {"Anna", "ru_RU"}};
    bool stillConnecting = false;
    // Receives each log line; by default they are kept in `log`.
    std::vector<std::string> log;
    std::function<void(const std::string&)> onLine = [this](const std::string& line) {
        log.push_back(line);
    };
    int speed = 0, pitch = 0;
    int selected = -1;

    bool connecting() const override { return stillConnecting; }
    std::vector<SpeechVoice> voices() const override { return voiceList; }
    void revive() override {}
    void select(int index) override { selected = index; }
    void setSpeed(int value) override { speed = value; }
    void setPitch(int value) override { pitch = value; }
    void say(const std::string& text) override;
    void stop() override;

  private:
    std::string m_lastVoice;
    bool m_speaking = false;
};

}  // namespace korvel::testing
