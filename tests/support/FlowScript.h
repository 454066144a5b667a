#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FakeAudioDevice.h"
#include "Golden.h"
#include "TempFolder.h"
#include "VirtualClock.h"
#include "core/ProgramFolders.h"
#include "game/MenuChoices.h"
#include "opponent/RandomSource.h"

namespace korvel {
class Announcer;
class Game;
class Settings;
}  // namespace korvel

namespace korvel::testing {

// One flow of a flows file: "name | menu gameType minutes level | from step | keys
// | until | options": the keys are pressed `step` ms apart from `from` ms on
// ("-": no key), the game of those menu choices starts at once and time runs
// to `until` ms. The options: "ini=Section.key=value" before the start;
// "file=NAME:DATA" the program folder's file NAME from the data file DATA;
// "answer=KEY" for every dialog; "readme" the rules file written at start;
// "menu" the menu shown instead of a game; "firstrun" the rules shown as on the
// first start, closed by the window manager at 4 s; "state=MS" the game's
// state noted at that time; "begin=MS" a new game of two players begins then
// over the one under way, "load=MS" the load list opens then; "waiting"
// hosting a network game shows the waiting notice, ended at "endwait=MS" as
// when a player has come. The menu's network choices (6 host, 7 join, 8 stop
// waiting) are noted with their values. On the game without Qt, whose flows
// start with an empty Games folder: "loadlist" the load list opens instead of
// a game, "games" the Games folder's records are listed at the end, and the
// key "Close" has the window manager close the dialog.
struct FlowScript;

// What the two sessions share: the scripted player's hand, keys pressed at
// virtual times and delivered by the clock to sendKey, so that they arrive
// inside the program's waits as real keys do; a temporary program folder
// (laid out by `prepare` when given, which returns the folders to use); the
// recording sound device writing the transcript; seeded randomness.
class KeyHand {
  public:
    using Prepare = std::function<Folders(const std::filesystem::path& temp)>;
    explicit KeyHand(std::uint32_t seed, const Prepare& prepare = {})
        : folders(prepare ? prepare(folder.path()) : Folders(folder.path())),
          device(clock, lines),
          random(seed) {}
    virtual ~KeyHand() = default;
    // Sends one key now, as the keyboard would.
    virtual void sendKey(const std::string& key) = 0;
    // Before the start: a settings value, or a file in the program folder.
    virtual void setIni(const std::string& section, const std::string& key,
                        const std::string& value) = 0;
    void writeFile(const std::string& name, const std::string& bytes) {
        WriteBytes(folder / name, bytes);
    }
    std::int64_t now() const { return clock.tickCount(); }
    // Presses `key` at virtual time `atMs` (or now, when that has passed).
    void press(std::int64_t atMs, const std::string& key);
    // Presses the keys one after another, `stepMs` apart, from `atMs` ("-": no key).
    void pressAll(std::int64_t atMs, int stepMs, const std::vector<std::string>& keys);
    // Lets virtual time run to `atMs`.
    void runUntil(std::int64_t atMs) { clock.advance(atMs - clock.tickCount()); }
    // Lays out what a flow asks of the program folder before the start: the
    // settings values, and files from the test's data folder.
    void layOut(const FlowScript& script);
    // Once started: the flow's dialog answers, keys and noted states on `game`.
    void play(const FlowScript& script, Game& game);
    // A flow's whole transcript: the lines, its end lines, the states noted and the game's state.
    std::vector<std::string> transcript(bool boardShown, const Game& game, Settings& settings,
                                        const Announcer& announcer);

    std::vector<std::string> lines;
    TempFolder folder;
    Folders folders;
    VirtualClock clock;
    TranscriptDevice device;
    SeededRandom random;
    // Answers every dialog with this key half a second after it shows ("": none).
    std::string answerKey;

  private:
    std::vector<std::string> m_noted;
};

struct FlowScript {
    MenuChoices choice;
    std::int64_t from = 0, step = 0, until = 0;
    std::vector<std::string> keys;
    std::map<std::string, std::string> option;  // the words of each option, space-separated
    struct Ini {
        std::string section, key, value;
    };
    std::vector<Ini> ini;
    std::vector<std::pair<std::string, std::string>> files;  // NAME, DATA
    std::vector<int> states;
    std::string answerKey;
};
FlowScript ParseFlow(const std::string& flow);

// The game's state at the end of a flow and at its "state" times: the record
// it would save, the passes, who played last, the take-backs, the clock.
std::string GameState(const Game& game);
// The first word of a line: a flow's name.
std::string FirstWord(const std::string& line);

// A dialog's text on one transcript line: its CR LF line breaks as " | ".
std::string OneLine(std::string text);
// The transcripts of the two sides of a network game in one, in time order:
// "H" marks the host's lines, "G" the guest's. Effects are left out: the
// sides share one effects device.
std::vector<std::string> MergeSides(const std::vector<std::string>& host,
                                    const std::vector<std::string>& guest);

}  // namespace korvel::testing
