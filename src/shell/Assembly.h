#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "AudioDevice.h"
#include "Clock.h"
#include "DialogHost.h"
#include "IniFile.h"
#include "MainWindow.h"
#include "MusicList.h"
#include "RandomSource.h"
#include "ReverControl.h"

namespace korvel {

// The services the program is built from: the real ones in main, the virtual
// clock, the recording audio device and a seeded random source in the tests.
struct Services {
    Clock& clock;
    AudioDevice& device;
    RandomSource& random;
    std::filesystem::path programFolder;
};

// What the menu hands to a game start: opponent kind (1 two players, 2 the
// computer), game type 1..4, minutes per move (0 untimed) and level 1..4.
struct GameChoiceValues {
    std::int16_t menu = 1;
    std::int16_t tip = 1;
    std::int16_t minutes = 0;
    std::int16_t level = 1;
};

// The one assembly of the program: the main window with the board, the
// announcer, the settings file and the dialogs, built from the given services.
// It owns its components; the services are borrowed for its whole life.
class Assembly {
  public:
    explicit Assembly(const Services& services);
    ~Assembly();
    Assembly(const Assembly&) = delete;
    Assembly& operator=(const Assembly&) = delete;

    // The start-up order: sound device, settings file, announcer and its
    // phrase folder, the board's Init, the stored settings.
    void StartUp();
    // Starts a game as the menu's start choice does.
    void StartGame(const GameChoiceValues& choice);
    // The menu's load choice: "noload" when there is no saved game, else the
    // chooser; a chosen game is shown on the board and goes on, a cancel
    // returns to the menu.
    void LoadGame();
    // Back from the board: stores the music switch, hides the board.
    void BackToMenu();
    // The farewell and the release of everything, once.
    void Shutdown();

    MainWindow& window() { return *m_window; }
    ReverControl& rever() { return *m_rever; }
    MusicList& mm() { return *m_mm; }
    DialogHost& dialogs() { return m_dialogs; }
    Settings& settings() { return m_settings; }

    // Where the program goes once the board is left, until the menu takes it.
    std::function<void()> onMenuShown;

  private:
    Services m_services;
    Settings m_settings;
    DialogHost m_dialogs;
    std::unique_ptr<MusicList> m_mm;
    std::unique_ptr<MainWindow> m_window;
    ReverControl* m_rever = nullptr;  // owned by the window
    bool m_started = false;
    bool m_shutDown = false;
};

// The stored choices of the last game started ([Menu] of the settings file);
// a value out of its range gives the first choice.
GameChoiceValues StoredGameChoice(const Settings& settings);

}  // namespace korvel
