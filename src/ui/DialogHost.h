#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace korvel {

class Clock;

// What a dialog showed, and later its answer: the tests' transcript reads these.
struct DialogRecord {
    std::string kind;                                  // "message"
    std::string caption, text;                         // UTF-8; text with its CR LF kept
    std::vector<std::pair<int, std::string>> buttons;  // visible buttons: number 1..4, caption
    int focus = 0;   // button number with the first focus, 0 = the text area
    int answer = 0;  // 0 while open; the button number once answered
};

// The services every dialog call needs, owned by the program's assembly: the
// clock that all waiting goes through and the program folder the dialog sounds
// are loaded from. Both outlive the host; the clock is borrowed.
class DialogHost {
  public:
    DialogHost(Clock& clock, std::filesystem::path programFolder);

    Clock& clock() const { return m_clock; }
    const std::filesystem::path& programFolder() const { return m_programFolder; }

    // Tests set this; called once when a dialog is shown (answer 0) and once with its answer.
    std::function<void(const DialogRecord&)> observer;

    // Passes `record` to the observer, when there is one.
    void report(const DialogRecord& record) const;

  private:
    Clock& m_clock;
    std::filesystem::path m_programFolder;
};

}  // namespace korvel
