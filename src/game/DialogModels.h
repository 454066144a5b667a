#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "records/SavedGameRecord.h"

namespace korvel {

class Announcer;

// The keys the dialogs handle; every other key is Other.
enum class DialogKey {
    Enter,
    Space,
    Escape,
    Tab,
    Backtab,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    Other
};

// The control after `current` in a Tab ring (before it, going back), round the
// ring; the first (last) when `current` is not in it, -1 for an empty ring.
int NextInRing(const std::vector<int>& ring, int current, bool forward);

// What a key does in a dialog: the button it presses (0 none) and the control
// that takes the focus (-1 none); `handled` false leaves the key to the control.
struct DialogKeyResult {
    int press = 0;
    int focus = -1;
    bool handled = true;
};

// The buttons of the message dialog, numbered 1..4, and what the player's keys
// and moves between them do, whatever shows them.
//
// Enter presses the focused button (from the text area button 1, when shown),
// Space the focused button, Escape button 3 when shown; Tab, Shift+Tab and the
// arrows move between the shown buttons, round the row; keys with Ctrl or Alt
// do nothing. The "Да" and "Нет" buttons name themselves through the announcer
// on every arrival but the first; leaving any button cuts the announcer short,
// except the first leaving of buttons 1 and 2, which only marks them as seen.
class MessageButtons {
  public:
    // From the options (style mod 32): captions, shown buttons and first focus.
    explicit MessageButtons(int options = 0);

    const std::string& caption(int n) const { return m_caption[n - 1]; }
    bool shown(int n) const { return m_shown[n - 1]; }
    // The button with the first focus, 0 for the text area.
    int firstFocus() const { return m_firstFocus; }
    // The answer of a window closed other than by its buttons: button 3 when
    // shown, otherwise the highest-numbered shown button.
    int closeAnswer() const;

    // A key pressed while `focused` (0 the text area) holds the focus.
    DialogKeyResult key(DialogKey key, bool shift, bool ctrlOrAlt, int focused) const;

    // The player's moves between the buttons, as they happen.
    void setAnnouncer(Announcer* announcer) { m_announcer = announcer; }
    void focusIn(int n);
    void focusOut(int n);

  private:
    std::array<std::string, 4> m_caption{"Да", "Нет", "Отмена", "Помощь"};
    std::array<bool, 4> m_shown{};
    std::array<bool, 2> m_seen{};  // the first focus of buttons 1 and 2 seen
    int m_firstFocus = 1;
    Announcer* m_announcer = nullptr;
};

// The message dialog's caption for a style (its class, style div 32) and our
// own sound for the class's beep: error, question, information.
std::string MessageCaption(int style);
const char* MessageBeep(int style);

// The list of the game-files dialog: saved games and free slots, with the
// buttons "Да" (1) and "Нет" (2), and what the player's keys do in it. The
// list is control 0 of its Tab ring, the buttons 1 and 2.
//
// Up, Down, Home and End move through the list, each item named; Tab and
// Shift+Tab go round the list and the buttons, each saying what it reaches;
// Enter presses the focused button, from the list "Да"; Space the focused
// button; Escape "Нет". Other keys, keys with Ctrl or Alt and keys with Shift
// but Tab do nothing.
class SlotList {
  public:
    // What the window does when it comes up: the phrase, then, kActivatePause
    // later, the first item selected and named.
    static constexpr int kActivatePause = 800;

    SlotList(Announcer* announcer, std::string word, std::vector<std::string> items);

    const std::vector<std::string>& items() const { return m_items; }
    // The selected row, 0-based; -1 with none.
    int row() const { return m_row; }
    void setRow(int row) { m_row = row; }
    // 0 while waiting, 1 after "Да", 2 after "Нет" or a close by the window manager.
    int result() const { return m_result; }
    void setResult(int result) { m_result = result; }
    // The chosen item's number, 1-based; 0 when none was chosen.
    int chosen() const { return m_result == 1 && m_row >= 0 ? m_row + 1 : 0; }

    void announce();
    void selectFirst();
    // A key pressed while `focused` (0 the list, 1 or 2 a button) holds the focus.
    DialogKeyResult key(DialogKey key, bool shift, bool ctrlOrAlt, int focused);
    // The player's Tab reached `control`.
    void focusIn(int control);
    // Forgets the announcer: the window says nothing more.
    void detach() { m_announcer = nullptr; }

  private:
    void select(int row);
    void sayItem();

    Announcer* m_announcer;
    std::string m_word;
    std::vector<std::string> m_items;
    int m_row = -1;
    int m_result = 0;
};

// The list texts: "        Лок: 3.   Этап: 1" for a saved game (the stage left
// empty for a file without one), "        Лок: 4." for a new slot.
std::string SavedGameItem(const SlotFile& file);
std::string NewSlotItem(int slot);

// The save choices: every slot file and a new slot past the highest, which
// never takes a name that something else holds (a folder named like a saved
// game). The items and each one's slot number.
struct SlotChoices {
    std::vector<std::string> items;
    std::vector<int> numbers;
};
SlotChoices SaveChoices(const std::filesystem::path& userFolder);
// The load choices: only the valid records, under their own slot numbers.
std::vector<const SlotFile*> LoadChoices(const std::vector<SlotFile>& files,
                                         std::vector<std::string>& items);

}  // namespace korvel
