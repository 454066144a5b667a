#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "core/Clock.h"
#include "game/MenuChoices.h"
#include "ui/NetEntry.h"
#include "voice/SoundEffects.h"

namespace korvel {

class Announcer;

// The spoken menu: four pages of a list (main page, game type, the
// computer's level, the network game) that name every item through the
// announcer as the player moves, a minutes prompt for the timed types, and the
// network game's typed fields (the host's address, the game's code) and the
// host's waiting notice. It keeps the player's choices and hands a choice code
// to `onChoice`: 3 load, 4 start, 5 exit, 6 host a network game of the chosen type
// and minutes, 7 join `hostAddress()` with `joinCode()`, 8 stop waiting for a
// player or for the host joined (the notice or the code field left). It starts
// nothing itself. The announcer is borrowed from Init to
// UnInit; the refusal effect is owned for that time.
class MenuControl : public QWidget {
  public:
    MenuControl(Clock& clock, const std::filesystem::path& programFolder, QWidget* parent);
    ~MenuControl() override;

    void Init(Announcer& announcer);
    void UnInit();

    // The player's choices.
    MenuChoices choices;

    // 1 main, 2 game type, 3 level, 4 network game; 5 the address field,
    // 6 the code field, 7 the host's waiting notice.
    std::int16_t page() const;
    // Shows the menu and gives the list the keyboard: the page's title is
    // said, then the stored choice of the page is selected and named.
    void ShowAndListen();
    // The list takes the keyboard (after a page change or when shown).
    void listTakesKeyboard();

    // The network game. The host's address starts as the one stored in the
    // settings file; one that could not have been typed here is dropped.
    // The code is the four digits typed for choice 7.
    const QString& hostAddress() const;
    void setHostAddress(const QString& address);
    const QString& joinCode() const;
    // The host waits for a player: shows `text` over the network page and
    // takes the keyboard (the caller says what is to be said). Escape stops
    // the wait: choice 8, then the network page is said. Other keys do nothing.
    void showWaiting(const QString& text);
    // Hides the notice; the network page's list holds the keyboard, silent
    // until ShowAndListen or listTakesKeyboard.
    void endWaiting();

    std::function<void(int)> onChoice;

  private:
    class List;
    class KeyPrompt;

    void fillPage();
    // Once the page's title has been said: the stored choice is selected and named.
    void titleSaid();
    // The page is left, or the player chose meanwhile: the title's wait ends.
    void endTitle();
    void hideEvent(QHideEvent* event) override;
    void itemSelected(int row);
    void playItem(int position);
    void enterPressed();
    void openPrompt();
    void promptKey(QKeyEvent* event);
    void activate(int code);
    void toPage(int page);
    void netChosen(int n);
    void hostChosen();
    void openEntry(NetEntry::Mode mode, const QString& text = {});
    void closeEntry();
    void entryStep(NetEntry::Mode mode, NetEntry::Step step);

    Clock& m_clock;
    std::filesystem::path m_programFolder;
    Announcer* m_announcer = nullptr;
    EffectBuffer m_not;
    Clock::TimerId m_titleWait = 0;  // the wait for the page's title to be said
    std::int16_t m_page = 1;
    bool m_filling = false;
    bool m_hosting = false;      // the game type is chosen for a network game
    std::int16_t m_netItem = 1;  // the network page's last choice

    QLabel* m_title;
    List* m_list;
    KeyPrompt* m_prompt;
    QLabel* m_promptLabel;
    NetEntry* m_entry;
};

}  // namespace korvel
