#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/ProgramFolders.h"

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
// clock that all waiting goes through, the data folder the dialog sounds are
// loaded from and the user folder the player's files are kept in. All outlive
// the host; the clock is borrowed.
class DialogHost {
  public:
    DialogHost(Clock& clock, Folders folders);

    Clock& clock() const { return m_clock; }
    // Where the dialog sounds are read, and where the player's files are kept.
    const std::filesystem::path& dataFolder() const { return m_folders.data; }
    const std::filesystem::path& userFolder() const { return m_folders.user; }

    // Tests set this; called once when a dialog is shown (answer 0) and once with its answer.
    std::function<void(const DialogRecord&)> observer;

    // Passes `record` to the observer, when there is one.
    void report(const DialogRecord& record) const;

  private:
    Clock& m_clock;
    Folders m_folders;
};

}  // namespace korvel
