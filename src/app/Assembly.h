#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "app/NetworkGame.h"
#include "app/Startup.h"
#include "core/Clock.h"
#include "core/IniFile.h"
#include "core/PortMapper.h"
#include "core/ProgramFolders.h"
#include "opponent/RandomSource.h"
#include "ui/AccessPolicy.h"
#include "ui/BoardControl.h"
#include "ui/DialogHost.h"
#include "ui/MenuControl.h"
#include "voice/Announcer.h"
#include "voice/AudioDevice.h"
#include "voice/SpeechEngine.h"
#include "voice/SpeechLayer.h"

namespace korvel {

// The services the program is built from: the real ones in main, the virtual
// clock, the recording audio device and speech engine and a seeded random
// source in the tests.
struct Services {
    Clock& clock;
    AudioDevice& device;
    RandomSource& random;
    Folders folders;  // data (read) and user (read/write) folders
    SpeechEngine& speech;
    PortMapper* ports = nullptr;  // asks the home router to forward the host's port
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
    // phrase folder (which must hold the recorded voice), the board's and the
    // menu's Init, the stored settings. False when the program cannot run: the
    // player is then told why, and `onStartRefused` runs once that is answered.
    bool StartUp();
    // The menu's choices: 3 load a saved game, 4 start a game, 5 leave;
    // 6 host, 7 join and 8 stop waiting in the network game.
    void GameChoice(int choice);
    // The read-me step of start-up, after the file has been handled: the help
    // window on a first run, the question on a new version; then the
    // announcer's queue is emptied when the help window was shown, and `then` runs.
    void HandleReadMeStep(ReadMeState state, std::function<void()> then);
    // The load choice: "noload" when there is no saved game, else the chooser;
    // a chosen game is shown on the board and goes on, a cancel shows the menu.
    void LoadGame();
    // Back from the board: hides the board, shows the menu.
    void BackToMenu();
    // Shows the menu, which announces itself, or hides it.
    void ShowMenu(bool show);
    // The farewell, heard to its end (at most `farewellMs`, the one wait that
    // holds everything else back), and the release of everything, once.
    void Shutdown(int farewellMs = 2000);

    MainWindow& window() { return *m_window; }
    BoardControl& board() { return *m_board; }
    Game& game() { return m_board->game(); }
    MenuControl& menu() { return *m_menu; }
    Announcer& announcer() { return *m_announcer; }
    DialogHost& dialogs() { return m_dialogs; }
    Settings& settings() { return m_settings; }
    SpeechLayer& speech() { return m_speech; }
    NetworkGame& network() { return *m_network; }

    // Runs once the shutdown is done: the program ends its process there.
    std::function<void()> onShutDown;
    // Runs once the player has answered why the start cannot go on.
    std::function<void()> onStartRefused;

  private:
    // The network game's choices 6, 7 and 8 (see MenuControl).
    void NetworkChoice(int choice);
    // The network game's ways into the window: the host's notice, the board, a fault said and
    // shown.
    NetworkGame::Hooks NetworkHooks();
    // The start cannot go on: says why (speech synthesizer, once it has answered or had
    // its time), shows it, and once that is answered closes the sound.
    void SayWhyAndStop(const std::string& spoken, const QString& shown);
    // Whether the recorded voice can be heard: some phrase of the menu opens.
    bool VoiceFound();
    // The rules the help window reads: ReadMe.txt, or this version's own text
    // when the file cannot be read.
    QString RulesToRead() const;

    Services m_services;
    Settings m_settings;
    // Before the window: no widget may be asked for its accessible object first.
    AccessPolicy m_access;
    DialogHost m_dialogs;
    SpeechLayer m_speech;
    std::unique_ptr<Announcer> m_announcer;
    std::unique_ptr<MainWindow> m_window;
    BoardControl* m_board = nullptr;  // owned by the window
    MenuControl* m_menu = nullptr;    // owned by the window
    std::unique_ptr<NetworkGame> m_network;
    bool m_started = false;
    bool m_shutDown = false;
};

// Copies the stored choices into the menu and the game (LoadStoredChoices),
// and the stored host address into the menu: one that could not be typed
// there reads as none.
void LoadIni(const Settings& settings, MenuControl& menu, Game& game);

}  // namespace korvel
