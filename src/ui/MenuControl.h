#pragma once

#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "voice/SoundEffects.h"

namespace korvel {

class Clock;
class Announcer;

// The spoken menu, Menu: three pages of a list (main page, game type, the
// computer's level) that name every item through the announcer as the player
// moves, and a minutes prompt for the timed types. It keeps the player's four
// choices and hands a choice code (3 load, 4 start, 5 exit) to `onChoice`; it
// starts nothing itself. The announcer is borrowed from Init to UnInit; the
// refusal effect is owned for that time.
class MenuControl : public QWidget {
  public:
    MenuControl(Clock& clock, const std::filesystem::path& programFolder, QWidget* parent);
    ~MenuControl() override;

    void Init(Announcer& mm);
    void UnInit();

    // The player's choices.
    std::int16_t Menu = 1;   // 1 two players, 2 against the computer
    std::int16_t Tip = 1;    // game type 1..4
    std::int16_t Times = 0;  // minutes per move, 1..10; 0 untimed
    std::int16_t Level = 0;  // 1..4

    std::int16_t MenuPage() const { return m_page; }
    // Shows the menu and gives the list the keyboard: the page's title is
    // said, then the stored choice of the page is selected and named.
    void ShowAndListen();
    // The list takes the keyboard (after a page change or when shown).
    void MenuList_GotFocus();

    std::function<void(int)> onChoice;

  private:
    class List;
    class KeyPrompt;

    void FillMenu();
    void itemSelected(int row);
    void playItem(int position);
    void enterPressed();
    void openPrompt();
    void promptKey(QKeyEvent* event);
    void activate(int code);
    void toPage(int page);

    Clock& m_clock;
    std::filesystem::path m_programFolder;
    Announcer* m_mm = nullptr;
    EffectBuffer m_not;
    std::int16_t m_page = 1;
    bool m_filling = false;

    QLabel* GlavMenu;
    List* MenuList;
    KeyPrompt* KeyTip;
    QLabel* Label1;
};

}  // namespace korvel
