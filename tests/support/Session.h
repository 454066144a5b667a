#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "FakePortMapper.h"
#include "FakeSpeech.h"
#include "FlowScript.h"
#include "app/Assembly.h"
#include "platform/SdlAudioDevice.h"

namespace korvel::testing {

// The whole program played by a scripted player in virtual time, on Qt's
// offscreen platform: key presses at virtual times, delivered by the clock to
// whatever holds the keyboard, so that they arrive inside the program's waits
// as real keys do; and a transcript of what the player hears and sees.
//
// Keys are named as the player presses them: "Space", "K", "F11", "Shift+K",
// "ru:Л" for the same physical key under the Russian layout, and "bare:Л" for
// the letter alone, as a platform without key codes gives it.
class Session : public KeyHand {
  public:
    explicit Session(std::uint32_t seed = 1, const Prepare& prepare = {});
    ~Session() override;

    void setIni(const std::string& section, const std::string& key,
                const std::string& value) override;

    // Starts a game with these menu choices, as the menu's start item does.
    void startGame(const MenuChoices& choice);

    Game& game() { return app->game(); }
    bool boardShown() const { return !app->board().isHidden(); }

    // Sends one key now, as the keyboard would.
    void sendKey(const std::string& key) override;
    // True when a transcript line (after its time) is `what`, or begins with it.
    bool heard(const std::string& what, bool prefix = false) const;
    // From now on the real sound device judges every file the program opens:
    // one it cannot decode cannot be opened, as for a player. False when that
    // device cannot be opened.
    bool judgeFilesByTheRealDevice();

    FakeSpeech speech;
    // Never answers unless given a plan; logs nothing unless given onLine.
    FakePortMapper portMapper{clock};
    // A host's codes: drawn from `random`, so that each run says the same ones.
    struct SeededCodes : CodeSource {
        explicit SeededCodes(RandomSource& r) : random(r) {}
        std::uint32_t draw() override {
            return static_cast<std::uint32_t>(random.next() * 4294967296.0);
        }
        RandomSource& random;
    } codes{random};
    std::unique_ptr<Assembly> app;

  private:
    std::unique_ptr<SdlAudioDevice> m_judge;
    std::map<std::filesystem::path, bool> m_judged;
};

// Plays one flow of a flows file (see FlowScript) on the whole program and
// returns its transcript, which ends with the stored choices and the game's state.
std::vector<std::string> PlayFlow(const std::string& flow);
// Makes the one QApplication of the test program, when there is none yet.
void StartQt();

// For the network tests over loopback: a free port of five digits, so that
// its masked digits read alike (0: none found); the code a host said last
// (the four digits after "yourcode" or "newcode"); and the port's digits as
// the host said them, as "#".
int FreePort();
std::string SaidCode(const std::vector<std::string>& lines);
void MaskSaidPort(std::vector<std::string>& lines);

}  // namespace korvel::testing
