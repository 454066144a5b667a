#pragma once

#include <QPointer>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/ProgramFolders.h"

class QWidget;

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

// The message box open now: what it shows, and how to close it as the window
// manager closes it, its caller answered. A notice that repeats it is said
// again at most once per `repeatGapMs`, which grows each time.
struct ShownMessage {
    std::string caption, text;
    std::function<void()> close;
    std::int64_t saidAt = 0;
    std::int64_t repeatGapMs = 0;
};

// The services every dialog call needs, owned by the program's assembly: the
// clock that all waiting goes through, the data folder the dialog sounds are
// loaded from and the user folder the player's files are kept in. All outlive
// the host; the clock is borrowed.
//
// It also knows the program's windows: the main window and the dialogs open
// over it, the last shown on top, so that a dialog is shown over the window the
// player is in and its close hands the keyboard to the window beneath; and the
// one message box open, which a later message replaces.
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

    // The program's main window (borrowed), under every dialog.
    void setMainWindow(QWidget* window) { m_mainWindow = window; }
    // The shown window of the program on top: the dialog shown last and not
    // closed yet, else the main window; null when none is shown.
    QWidget* topWindow() const;
    void dialogShown(QWidget& form);
    void dialogClosed(const QWidget& form);

    // The message box open, or null; a box sets itself here while it shows.
    ShownMessage* shownMessage() { return m_message.close ? &m_message : nullptr; }
    void setShownMessage(ShownMessage message) { m_message = std::move(message); }
    // Closes the message box open, if any, as the window manager closes it.
    void closeMessage();

  private:
    Clock& m_clock;
    Folders m_folders;
    QPointer<QWidget> m_mainWindow;
    std::vector<QPointer<QWidget>> m_dialogs;
    ShownMessage m_message;
};

}  // namespace korvel
