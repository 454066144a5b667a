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

// The spoken menu: three pages of a list (main page, game type, the
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
    std::int16_t opponent = 1;  // 1 two players, 2 against the computer
    std::int16_t gameType = 1;  // 1..4
    std::int16_t minutes = 0;   // minutes per move, 1..10; 0 untimed
    std::int16_t level = 0;     // 1..4

    std::int16_t page() const { return m_page; }
    // Shows the menu and gives the list the keyboard: the page's title is
    // said, then the stored choice of the page is selected and named.
    void ShowAndListen();
    // The list takes the keyboard (after a page change or when shown).
    void listTakesKeyboard();

    std::function<void(int)> onChoice;

  private:
    class List;
    class KeyPrompt;

    void fillPage();
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

    QLabel* m_title;
    List* m_list;
    KeyPrompt* m_prompt;
    QLabel* m_promptLabel;
};

}  // namespace korvel
