#include "FakeSpeech.h"

namespace korvel::testing {

void FakeSpeech::say(const std::string& text) {
    const bool listed = selected >= 0 && selected < static_cast<int>(voiceList.size());
    const std::string voice = "voice " + (listed ? voiceList[selected].name : "?") +
                              " speed=" + std::to_string(speed) + " pitch=" + std::to_string(pitch);
    if (voice != m_lastVoice) {
        onLine(voice);
        m_lastVoice = voice;
    }
    std::string shown;
    for (const char c : text) {
        shown += c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    onLine("speak " + shown);
    m_speaking = true;
}

void FakeSpeech::stop() {
    if (m_speaking) {
        onLine("stop");
    }
    m_speaking = false;
}

}  // namespace korvel::testing
