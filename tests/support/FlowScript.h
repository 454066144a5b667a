#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
class Announcer;
class Clock;
class AudioDevice;
class Game;
class Settings;
}  // namespace korvel

namespace korvel::testing {

// The menu's choices for a game started by a test: opponent kind (1 two
// players, 2 the computer), game type 1..4, minutes per move and level 1..4.
struct GameChoiceValues {
    std::int16_t menu = 1;
    std::int16_t gameType = 1;
    std::int16_t minutes = 0;
    std::int16_t level = 1;
};

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
// waiting) are noted with their values.
struct FlowScript;

// The scripted player's hand on a session: keys pressed at virtual times,
// delivered by the clock to sendKey, so that they arrive inside the program's
// waits as real keys do; and virtual time let run.
class KeyHand {
  public:
    explicit KeyHand(VirtualClock& clock) : m_clock(clock) {}
    virtual ~KeyHand() = default;
    // Sends one key now, as the keyboard would.
    virtual void sendKey(const std::string& key) = 0;
    // Presses `key` at virtual time `atMs` (or now, when that has passed).
    void press(std::int64_t atMs, const std::string& key);
    // Presses the keys one after another, `stepMs` apart, from `atMs` ("-": no key).
    void pressAll(std::int64_t atMs, int stepMs, const std::vector<std::string>& keys);
    // Lets virtual time run to `atMs`.
    void runUntil(std::int64_t atMs) { m_clock.advance(atMs - m_clock.tickCount()); }
    // Notes the game's state at each of the virtual times `atMs`.
    void noteStates(const std::vector<int>& atMs, const Game& game);
    // A flow's whole transcript: `lines`, its end lines, the states noted and the game's state.
    std::vector<std::string> transcript(std::vector<std::string> lines, bool boardShown,
                                        const Game& game, Settings& settings,
                                        const Announcer& announcer, AudioDevice& device);

  private:
    VirtualClock& m_clock;
    std::vector<std::string> m_noted;
};

struct FlowScript {
    GameChoiceValues choice;
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

// Lays out what a flow asks of the program folder before the start: the
// settings values, and files from the test's data folder.
template <class AnySession>
void LayOut(AnySession& s, const FlowScript& script) {
    const std::string data = std::getenv("KORVEL_TEST_DATA");
    for (const auto& [section, key, value] : script.ini) {
        s.setIni(section, key, value);
    }
    for (const auto& [name, dataFile] : script.files) {
        std::filesystem::create_directories((s.folder / name).parent_path());
        s.writeFile(name, ReadBytes(data + "/" + dataFile));
    }
}

}  // namespace korvel::testing
