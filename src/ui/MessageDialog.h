#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "game/DialogModels.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace korvel {

class DialogHost;
class Announcer;

// The message window: a read-only text area over a black strip with up to
// four buttons, numbered 1..4, built afresh by OpenMessage for each
// message. It owns its controls; the announcer announcer is borrowed while open.
//
// The window handles its keys itself, the same in every button and in the text:
// Enter presses the focused button (elsewhere button 1, when shown), Space the
// focused button, Escape button 3 when shown; Tab, Shift+Tab and the arrows move
// between the shown buttons, round the row; keys with Ctrl or Alt do nothing.
class MessageDialog : public QWidget {
  public:
    MessageDialog();
    ~MessageDialog() override;

    QPlainTextEdit* textArea() const { return m_text; }
    // Buttons by number, 1..4.
    QPushButton* button(int n) const { return m_butt[n - 1]; }

    // The announcer the buttons speak through; null keeps them silent.
    Announcer* announcer() const { return m_announcer; }
    void setAnnouncer(Announcer* announcer) {
        m_announcer = announcer;
        m_buttons.setAnnouncer(announcer);
    }

    // Sets captions, shown buttons and the first focus from the options (style
    // mod 32). While this runs, focus changes are not the player's and say nothing.
    void ApplyOptions(int options);

    // The number of the button pressed, 0 while none has been.
    std::int16_t result() const { return m_result; }
    void clearResult() { m_result = 0; }
    // The answer of a window closed other than by its buttons: button 3 when
    // shown, otherwise the highest-numbered shown button.
    std::int16_t closeAnswer() const;
    // The button number holding the window's focus, 0 for the text area.
    int focusedButton() const;
    bool isShown(int n) const { return m_buttons.shown(n); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    int buttonNumber(const QObject* object) const;
    bool handleKey(QKeyEvent* event);

    QPlainTextEdit* m_text = nullptr;
    QLabel* m_kont = nullptr;
    std::array<QPushButton*, 4> m_butt{};
    // Captions, shown buttons, what the keys do and what moving between the buttons says.
    MessageButtons m_buttons;
    Announcer* m_announcer = nullptr;
    std::int16_t m_result = 0;
    bool m_building = false;
};

// Shows `text` with `caption` (the class's own caption when empty) in the
// message dialog over the program's top window (replacing the message box
// open, if any: its caller gets the answer the window manager's close gives),
// which stays disabled until a button is pressed, and returns at once;
// `answered` gets that button's number, 1..4. `style` is the style code 0..159
// (anything else counts as 97): class = style div 32 picks the default caption
// and the beep, options = style mod 32 the buttons and first focus. `announcer` names
// the "Да" and "Нет" buttons as the player moves; null for silence.
void OpenMessage(DialogHost& host, const QString& text, const QString& caption, int style,
                 Announcer* announcer, std::function<void(int)> answered);

// A notice the player must hear and see: `phrase` said (what was being said
// stops) and `text` shown in the message box, which replaces any box open.
// While the box shows this very notice, a repeat opens nothing: its phrase is
// said again only once the announcer is silent, 5 s after it was last said at
// the soonest, the gap doubling each time, so a fault that comes over and over
// neither piles up boxes nor cuts itself off.
void Notify(DialogHost& host, Announcer& announcer, const std::string& phrase, const QString& text,
            const QString& caption, int style);

}  // namespace korvel
