#pragma once

#include <array>

namespace korvel {

class Announcer;

// Says times for the clock keys: the time of day (T), the seconds left of a
// timed move, the time since the game began (W), and a duration in hours,
// minutes and seconds with their unit words. Each report but the duration
// cuts the announcer first. It borrows the announcer.
class TimeReader {
  public:
    explicit TimeReader(Announcer& announcer) : m_announcer(announcer) {}

    // Hours, minutes and seconds of the day.
    void timeOfDay(const std::array<int, 3>& now);
    void secondsLeft(int seconds);
    void sinceStart(int hours, int minutes, int seconds);
    // A zero part is skipped.
    void duration(int hours, int minutes, int seconds);

  private:
    Announcer& m_announcer;
};

}  // namespace korvel
