#pragma once

#include <string_view>

namespace korvel {

// Timing marks, for measuring the program from outside it: when the
// environment variable KORVEL_TRACE names a file, each mark is appended to it
// as a line "<microseconds since the epoch> <what>". Programs on one machine
// share that clock, so a key pressed in one can be timed against a sound
// mixed in another (scripts/measure-latency.sh). Without the variable a mark
// costs a test of a flag. Marks may come from any thread.
bool TimingMarksOn();
void TimingMark(std::string_view what);

}  // namespace korvel
