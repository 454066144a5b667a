// The announcer and the effect buffers, on the recording device in virtual time.
//
// The announcer's behaviour is kept as a transcript, data/announcer.txt: each
// "> command" line is performed, and what a player hears and the announcer's
// state, with the clock time, must follow it exactly as written there
// (KORVEL_UPDATE_GOLDEN=1 writes the file anew). A "#" line is a comment.
//
// Commands: "new [readonly]" an announcer in the folder /k on a fresh settings
// file (or on one that cannot be written); "store VALUE" the mute switch as the
// settings file holds it; "init [TICK]"; "add NAME"; "sound NAME [path]" (a
// full path with "path"); "mute N"; "number N [feminine]"; "clear"; "count";
// "duration NAME MS"; "unplayable NAME"; "wait MS"; "idle" waits until the
// queue is idle; "fill N" adds the phrases 0 .. N-1, and one more 600 ms later,
// and sums up what was said. The effect buffers: "open [fails]" and "close" the
// sound device; "effect SLOT NAME" loads; "play SLOT PAN VOLUME" at 32000 Hz;
// "release SLOT"; "missing NAME".

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "Session.h"
#include "TempFolder.h"
#include "VirtualClock.h"
#include "voice/Announcer.h"
#include "voice/SoundEffects.h"

namespace korvel {
namespace {

using namespace korvel::testing;
using namespace std::string_literals;
constexpr Gender kMasculine = Gender::Masculine, kFeminine = Gender::Feminine;

enum Outcome { kRefused, kDone, kQuiet };

struct Transcript {
    ~Transcript() { CloseSoundDevice(); }

    void run(const std::string& line) {
        std::istringstream in(line);
        std::string c, a, b, d;
        in >> c >> a >> b >> d;
        const std::string rest = line.size() > 6 ? line.substr(6) : "";
        const int x = std::atoi(a.c_str()), y = std::atoi(b.c_str());
        std::int32_t pan = y, volume = std::atoi(d.c_str()), frequency = 32000;
        const std::map<std::string, std::function<Outcome()>> commands = {
            {"new", [&] { return renew(a == "readonly"), kQuiet; }},
            {"store", [&] { return settings->SetIni("Music", "play", rest), kQuiet; }},
            {"fill", [&] { return fill(x), kQuiet; }},
            {"duration", [&] { return device.setPhraseDuration(a, y), kQuiet; }},
            {"unplayable", [&] { return device.setUnplayable(a), kQuiet; }},
            {"missing", [&] { return device.setMissingEffect(a), kQuiet; }},
            {"wait", [&] { return clock.advance(x), kQuiet; }},
            {"idle",
             [&] { return clock.waitUntil([&] { return !announcer->Count(); }, 600000), kQuiet; }},
            {"clear", [&] { return announcer->Clear(), kQuiet; }},
            {"number",
             [&] { return announcer->Number(x, b.empty() ? kMasculine : kFeminine), kQuiet; }},
            {"init", [&] { return Outcome(a.empty() ? announcer->Init() : announcer->Init(x)); }},
            {"add", [&] { return Outcome(announcer->AddFile(a)); }},
            {"sound", [&] { return Outcome(announcer->PlaySound(a, b != "path")); }},
            {"mute", [&] { return announcer->setMuted(std::int16_t(x)), kDone; }},
            {"count", [&] { return kDone; }},
            {"open",
             [&] { return device.setOpenResult(a.empty()), Outcome(OpenSoundDevice(device)); }},
            {"close", [&] { return CloseSoundDevice(), kDone; }},
            {"effect", [&] { return Outcome(LoadEffect(buffers[a], "/k", b)); }},
            {"play", [&] { return PlayEffect(buffers[a], pan, volume, frequency), kDone; }},
            {"release", [&] { return ReleaseEffect(buffers[a]), kDone; }},
        };
        const Outcome outcome = commands.at(c)();
        if (outcome != kQuiet) {
            const auto tick =
                announcer->ticking() ? ", tick " + std::to_string(announcer->interval()) : "";
            const auto played =
                ", pan " + std::to_string(pan) + " volume " + std::to_string(volume);
            device.write(line + (outcome == kRefused ? " refused" : "") + ": count " +
                         std::to_string(announcer->Count()) + tick + ", mute " +
                         std::to_string(announcer->muted()) + " (stored " +
                         settings->GetIni("Music", "play") + "), effects " +
                         std::to_string(device.liveEffects()) + (c == "play" ? played : ""));
        }
    }

    void renew(bool readonly) {
        announcer.reset();
        device.write("left: timers " + std::to_string(clock.pendingCount()) + ", players " +
                     std::to_string(device.livePlayers()));
        settings = std::make_unique<Settings>(
            readonly ? "/proc/none/K.ini" : folder / (std::to_string(lines.size()) + ".ini"));
        announcer = std::make_unique<Announcer>(clock, *settings, device);
        announcer->setPhraseFolder("/k");
    }

    // Sums up the phrases said meanwhile instead of listing them.
    void fill(int phrases) {
        const std::size_t from = lines.size(), said = device.startedPhraseStems().size();
        int taken = 0;
        for (int i = 0; i < phrases; ++i) {
            taken += announcer->AddFile(std::to_string(i)) ? 1 : 0;
        }
        clock.advance(600);
        taken += announcer->AddFile("late") ? 1 : 0;
        clock.waitUntil([&] { return announcer->Count() == 0; }, 6000000);
        lines.resize(from);
        const auto stems = device.startedPhraseStems();
        device.write("took " + std::to_string(taken) + ", said " +
                     std::to_string(stems.size() - said) + ", " + stems[said] + " to " +
                     stems.back());
    }

    std::vector<std::string> lines;
    VirtualClock clock;
    TranscriptDevice device{clock, lines};
    TempFolder folder;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<Announcer> announcer;
    std::map<std::string, EffectBuffer> buffers;
};

TEST(Announcer, DoesWhatItsTranscriptSays) {
    Transcript t;
    t.device.open();
    std::istringstream script(
        ReadBytes(std::string(getenv("KORVEL_TEST_DATA")) + "/announcer.txt"));
    for (std::string line; std::getline(script, line);) {
        if (line.starts_with("#") || line.starts_with(">")) {  // not what happened
            t.lines.push_back(line);
        }
        if (line.starts_with("> ")) {
            t.run(line.substr(2));
        }
    }
    ExpectGolden(t.lines, "announcer");
}

}  // namespace
}  // namespace korvel
