#pragma once

#include <string>
#include <vector>

namespace korvel {

// One voice of the speech service: its name and its locale ("ru_RU", "en").
struct SpeechVoice {
    std::string name;
    std::string locale;
};

// The narrow speech engine behind the help window's reading, in our own units:
// speed kMinSpeed..kMaxSpeed (the middle is the voice's natural rate) and pitch
// kMinPitch..kMaxPitch (0 is the natural pitch). Text is UTF-8 and spoken
// asynchronously; a new utterance cuts the one before it short.
//
// While the service is being reached `connecting` is true and the voice list
// is empty; with no service the list stays empty and every call does nothing.
class SpeechEngine {
  public:
    static constexpr int kMinSpeed = 50;
    static constexpr int kMaxSpeed = 250;
    static constexpr int kMinPitch = -100;
    static constexpr int kMaxPitch = 100;

    virtual ~SpeechEngine() = default;

    virtual bool connecting() const = 0;
    virtual std::vector<SpeechVoice> voices() const = 0;
    // Speech is about to be needed (the help window opens): when the service
    // has gone away a new connection is made, and `connecting` is true until
    // it answers. Speech that fails on the way is silent.
    virtual void revive() = 0;
    // `index` into voices().
    virtual void select(int index) = 0;
    virtual void setSpeed(int speed) = 0;
    virtual void setPitch(int pitch) = 0;
    virtual void say(const std::string& text) = 0;
    virtual void stop() = 0;
};

}  // namespace korvel
