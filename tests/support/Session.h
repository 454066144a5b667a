#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Assembly.h"
#include "FakeAudioDevice.h"
#include "FakeSpeech.h"
#include "Golden.h"
#include "RandomSource.h"
#include "SdlAudioDevice.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel::testing {

// The menu's choices for a game started by a test: opponent kind (1 two
// players, 2 the computer), game type 1..4, minutes per move and level 1..4.
struct GameChoiceValues {
    std::int16_t menu = 1;
    std::int16_t tip = 1;
    std::int16_t minutes = 0;
    std::int16_t level = 1;
};

// The recording device of a session: writes what a player would hear into the
// transcript, in the order it is asked for.
class TranscriptDevice : public FakeAudioDevice {
  public:
    TranscriptDevice(const Clock& clock, std::vector<std::string>& lines)
        : FakeAudioDevice(clock), m_clock(clock), m_lines(lines) {}

    bool recordTicks = false;
    // When set, a file it rejects cannot be opened or loaded, as a missing or
    // undecodable file on the real device.
    std::function<bool(const std::filesystem::path&)> playable;

    Handle openPlayer(const std::filesystem::path& file) override;

    Handle loadEffect(const std::filesystem::path& wavFile) override;
    void setEffectParams(Handle effect, int pan, int volume, int frequency) override;
    void startEffect(Handle effect) override;
    bool startPlayer(Handle player) override;
    bool playMusic(const std::filesystem::path& file, bool loop) override;
    void stopMusic() override;
    void setMusicVolume(int hundredthsDb) override;

  private:
    void log(const std::string& what);
    const Clock& m_clock;
    std::vector<std::string>& m_lines;
    std::map<Handle, std::string> m_names;
    std::map<Handle, std::string> m_params;
};

// The whole program played by a scripted player in virtual time, on Qt's
// offscreen platform: key presses at virtual times, delivered by the clock to
// whatever holds the keyboard, so that they arrive inside the program's waits
// as real keys do; and a transcript of what the player hears and sees.
//
// Keys are named as the player presses them: "Space", "K", "F11", "Shift+K",
// and "ru:Л" for the same physical key under the Russian layout.
class Session {
  public:
    // `prepare`, when given, lays out the temporary folder before the program
    // is built and returns the folders it is to use (by default the temporary
    // folder is both).
    using Prepare = std::function<Folders(const std::filesystem::path& temp)>;
    explicit Session(std::uint32_t seed = 1, const Prepare& prepare = {});
    ~Session();

    // Before StartUp: a settings value, or a file in the program folder.
    void setIni(const std::string& section, const std::string& key, const std::string& value);
    void writeFile(const std::string& name, const std::string& bytes);

    // Starts a game with these menu choices, as the menu's start item does.
    void startGame(const GameChoiceValues& choice);
    // Presses `key` at virtual time `atMs` (or now, when that has passed).
    void press(std::int64_t atMs, const std::string& key);
    // Presses the keys one after another, `stepMs` apart, from `atMs`.
    void pressAll(std::int64_t atMs, int stepMs, const std::vector<std::string>& keys);
    // Lets virtual time run to `atMs`.
    void runUntil(std::int64_t atMs);
    // Answers every dialog with this key, `delayMs` after it shows (none: "").
    void answerDialogsWith(const std::string& key, int delayMs = 500);

    std::int64_t now() const { return clock.tickCount(); }
    ReverControl& rever() { return app->rever(); }
    bool boardShown() const { return !app->rever().isHidden(); }

    // Sends one key now, as the keyboard would.
    void sendKey(const std::string& key);
    // True when a transcript line (after its time) is `what`, or begins with it.
    bool heard(const std::string& what, bool prefix = false) const;
    // From now on the real sound device judges every file the program opens:
    // one it cannot decode cannot be opened, as for a player. False when that
    // device cannot be opened.
    bool judgeFilesByTheRealDevice();

    std::vector<std::string> lines;
    TempFolder folder;
    Folders folders;
    VirtualClock clock;
    TranscriptDevice device;
    FakeSpeech speech;
    SeededRandom random;
    std::unique_ptr<Assembly> app;
    int dialogsShown = 0;

  private:
    std::unique_ptr<SdlAudioDevice> m_judge;
    std::map<std::filesystem::path, bool> m_judged;
    std::string m_answerKey;
    int m_answerDelay = 500;
};

}  // namespace korvel::testing
