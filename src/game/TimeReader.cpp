#include "game/TimeReader.h"

#include <string>

#include "core/CommonRoutines.h"
#include "voice/Announcer.h"

namespace korvel {

void TimeReader::timeOfDay(const std::array<int, 3>& now) {
    m_announcer.Clear();
    m_announcer.AddFile("systime");
    for (const int part : now) {
        m_announcer.Number(part);
    }
}

void TimeReader::secondsLeft(int seconds) {
    m_announcer.Clear();
    m_announcer.Number(seconds, Gender::Feminine);
    m_announcer.AddFile("sek" + std::to_string(PluralForm(seconds)));
}

void TimeReader::sinceStart(int hours, int minutes, int seconds) {
    m_announcer.Clear();
    m_announcer.AddFile("timer");
    duration(hours, minutes, seconds);
}

void TimeReader::duration(int hours, int minutes, int seconds) {
    if (hours > 0) {
        m_announcer.Number(hours);
        m_announcer.AddFile("hour" + std::to_string(PluralForm(hours)));
    }
    if (minutes > 0) {
        m_announcer.Number(minutes, Gender::Feminine);
        m_announcer.AddFile("minut" + std::to_string(PluralForm(minutes)));
    }
    if (seconds > 0) {
        m_announcer.Number(seconds, Gender::Feminine);
        m_announcer.AddFile("sek" + std::to_string(PluralForm(seconds)));
    }
}

}  // namespace korvel
