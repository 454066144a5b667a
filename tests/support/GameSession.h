#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FlowScript.h"
#include "core/IniFile.h"
#include "game/Game.h"
#include "voice/Announcer.h"

namespace korvel::testing {

// A dialog as the transcript and the scripted player see it: shown (answer
// 0), then answered. Kinds: "message", "gamefiles", "help".
struct DialogNote {
    std::string kind, caption;
    int answer = 0;
};

// The game played by a scripted player in virtual time without Qt: the game
// with the recording sound device, an announcer, seeded randomness and a
// temporary program folder, shown by a view that writes the transcript lines
// the whole program writes. Its questions, the save and load lists and the
// help take the keys as the program's dialogs do (game/DialogModels.h); the
// board takes them through the game's key table (game/BoardKeys.h).
//
// Keys are named as the player presses them: "Space", "K", "F11", "Shift+K",
// "ru:Л" for the same physical key under the Russian layout, "bare:Л" as a
// platform without key codes gives it.
class GameSession : public KeyHand {
  public:
    explicit GameSession(std::uint32_t seed = 1);
    ~GameSession() override;

    void setIni(const std::string& section, const std::string& key,
                const std::string& value) override;
    // The program's start: the sound device, the settings, the announcer, the stored choices.
    bool startUp();

    // Starts a game with these menu choices, as the menu's start item does.
    void startGame(const MenuChoices& choice);
    // The menu's load item: the list of saved games, a chosen one played on.
    void loadGame();
    // Sends one key now, as the keyboard would.
    void sendKey(const std::string& key) override;
    // The window manager closes the dialog that shows.
    void closeDialog();

    Game& game() { return *m_game; }
    bool boardShown() const;

    Settings settings;
    Announcer announcer;
    // Told of every dialog once it shows and once it is answered, after the transcript.
    std::function<void(const DialogNote&)> onDialog;

  private:
    class View;
    std::unique_ptr<View> m_view;
    std::unique_ptr<Game> m_game;
    MenuChoices m_menu;  // the menu's choices
};

// Plays one flow of a flows file (see FlowScript) and returns its transcript,
// which ends with the stored choices and the game's state.
std::vector<std::string> PlayGameFlow(const std::string& flow);

}  // namespace korvel::testing
