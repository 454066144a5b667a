// The announcer and the effect slots, over the recording device in virtual time.
//
// The announcer's behaviour is kept as a transcript, data/announcer.txt: each
// "> command" line is performed, and what the announcer did, with the clock
// time, must follow it exactly as written there (KORVEL_UPDATE_GOLDEN=1 writes
// the file anew). A "#" line is a comment.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "FakeAudioDevice.h"
#include "MusicList.h"
#include "Session.h"
#include "SoundEffects.h"
#include "TempFolder.h"
#include "VirtualClock.h"

namespace korvel {
namespace {

using namespace korvel::testing;
using namespace std::string_literals;

// Performs the commands of a transcript on an announcer over the recording
// device, which writes what a player would hear into `lines`; the commands and
// the announcer's answers go there too.
class Transcript {
  public:
    Transcript() { device.open(); }

    void run(const std::string& line) {
        std::istringstream in(line);
        std::string command, a, b;
        in >> command >> a >> b;
        const auto unless = [this](bool ok, const std::string& what) {
            if (!ok) {
                note(what);
            }
        };
        const std::map<std::string, std::function<void()>> commands = {
            {"new", [&] { renew(a == "readonly"); }},  // on a settings file that cannot be written
            {"init", [&] { init(a.empty() ? mm->Init() : mm->Init(std::stoi(a))); }},
            {"store",
             [&] { settings->SetIni("Music", "play", line.substr(line.size() > 5 ? 6 : 5)); }},
            {"folder", [&] { mm->FoldMus(a), note("folder " + mm->Folder()); }},
            {"duration", [&] { device.setPhraseDuration(a, std::stoi(b)); }},
            {"unplayable", [&] { device.setUnplayable(a); }},
            {"add", [&] { unless(mm->AddFile(a), "refused " + a); }},
            {"number",
             [&] { mm->Number(std::stoi(a), b.empty() ? Gender::Masculine : Gender::Feminine); }},
            {"sound", [&] { unless(mm->PlaySound(a, b != "path"), "refused sound " + a); }},
            {"music", [&] { unless(mm->PlayMusic(a, b != "once"), "refused music " + a); }},
            {"mute", [&] { mm->setNotPlay(std::int16_t(std::stoi(a))), note(muteSwitch()); }},
            {"clear", [&] { mm->Clear(); }},
            {"wait", [&] { clock.advance(std::stoi(a)); }},
            {"idle",
             [&] { unless(clock.waitUntil([&] { return mm->Count() == 0; }, 600000), "busy"); }},
            {"count", [&] { note("count " + std::to_string(mm->Count()) + ticking()); }},
        };
        commands.at(command)();
    }

    std::vector<std::string> lines;
    VirtualClock clock;
    TranscriptDevice device{clock, lines};

  private:
    void note(const std::string& what) {
        char time[16];
        std::snprintf(time, sizeof time, "%8.3f ", double(clock.tickCount()) / 1000.0);
        lines.push_back(time + what);
    }
    void renew(bool readonly) {
        mm.reset();
        note("left: timers " + std::to_string(clock.pendingCount()) + ", players " +
             std::to_string(device.livePlayers()));
        settings = std::make_unique<Settings>(
            readonly ? "/proc/korvel-none/Korvel.ini"
                     : folder / ("Korvel" + std::to_string(++files) + ".ini"));
        mm = std::make_unique<MusicList>(clock, *settings, device);
    }
    void init(bool ok) {
        note("init " + std::string(ok ? "ok" : "failed") + ", tick " +
             std::to_string(mm->interval()) + ticking() + ", " + muteSwitch());
    }
    std::string ticking() const { return mm->ticking() ? ", ticking" : ""; }
    std::string muteSwitch() const {
        return "mute " + std::to_string(mm->NotPlay()) + ", stored '" +
               settings->GetIni("Music", "play") + "'";
    }

    TempFolder folder;
    int files = 0;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<MusicList> mm;
};

TEST(Announcer, DoesWhatItsTranscriptSays) {
    Transcript t;
    std::istringstream script(ReadBytes(std::getenv("KORVEL_TEST_DATA") + "/announcer.txt"s));
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

// The queue holds 1024 phrases and plays each once, in order; the 1025th is
// refused, and there is room again only once the queue is idle.
TEST(Announcer, AFullQueuePlaysEveryPhraseOnce) {
    Transcript t;
    t.device.setDefaultPhraseDuration(10);
    t.run("new");
    t.run("init 20");
    t.run("folder /k");
    for (int i = 0; i < MusicList::kQueueSlots; ++i) {
        t.run("add " + std::to_string(i));
    }
    for (const char* line : {"add x", "wait 100", "add x", "idle", "add x"}) {
        t.run(line);
    }
    const auto said = t.device.startedPhraseStems();
    ASSERT_EQ(said.size(), MusicList::kQueueSlots + 1u);
    EXPECT_EQ(said[0] + " " + said[1023] + " " + said[1024], "0 1023 x");
    EXPECT_EQ(std::count_if(t.lines.begin(), t.lines.end(),
                            [](const std::string& l) { return l.ends_with("refused x"); }),
              2);
}

struct ClampCase {
    bool loaded;
    std::int32_t pan, volume, panAfter, volumeAfter;
};

class EffectClamp : public ::testing::TestWithParam<ClampCase> {};

// Pan and volume are clamped, the caller's variables too, whether or not the
// effect could be loaded, and the device is given the clamped values.
TEST_P(EffectClamp, HandsTheClampedValuesBack) {
    const ClampCase& c = GetParam();
    VirtualClock clock;
    FakeAudioDevice device(clock);
    device.setMissingEffect("missing");
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer slot;
    EXPECT_EQ(LoadEffect(slot, "/k", c.loaded ? "cursor" : "missing"), c.loaded);
    std::int32_t pan = c.pan, volume = c.volume, frequency = 32000;
    PlayEffect(slot, pan, volume, frequency);
    EXPECT_EQ(std::make_tuple(pan, volume, frequency),
              std::make_tuple(c.panAfter, c.volumeAfter, 32000));
    ASSERT_EQ(device.effectPlays().size(), c.loaded ? 1u : 0u);
    for (const auto& p : device.effectPlays()) {
        EXPECT_EQ(std::make_tuple(p.name, p.pan, p.volume, p.frequency),
                  std::make_tuple(std::string("cursor"), c.panAfter, c.volumeAfter, 32000));
    }
    CloseSoundDevice();
}

INSTANTIATE_TEST_SUITE_P(Values, EffectClamp,
                         ::testing::Values(ClampCase{true, -350, 500, -350, 500},
                                           ClampCase{true, 12000, -12000, 10000, -10000},
                                           ClampCase{true, -10000, -10000, -10000, -10000},
                                           ClampCase{true, INT_MIN, INT_MIN, -10000, -10000},
                                           ClampCase{true, INT_MAX, INT_MAX, 10000, INT_MAX},
                                           ClampCase{false, 20000, -20000, 10000, -10000}));

// A slot holds one buffer of the device: loading again releases the old one,
// releasing empties it, and twice is harmless. Once the device is closed, or
// without one, every call is harmless and silent.
TEST(EffectSlot, HoldsOneBufferAndIsHarmlessWithoutADevice) {
    VirtualClock clock;
    FakeAudioDevice device(clock);
    ASSERT_TRUE(OpenSoundDevice(device));
    EffectBuffer slot, kept;
    ASSERT_TRUE(LoadEffect(slot, "/k", "cursor") && LoadEffect(slot, "/k", "border") &&
                LoadEffect(kept, "/k", "ok"));
    EXPECT_EQ(device.liveEffects(), 2u);
    ReleaseEffect(slot);
    ReleaseEffect(slot);
    EXPECT_TRUE(slot.empty());
    EXPECT_EQ(device.liveEffects(), 1u);
    CloseSoundDevice();
    EXPECT_EQ(SoundDevice(), nullptr);
    EXPECT_FALSE(LoadEffect(slot, "/k", "cursor"));
    std::int32_t pan = 0, volume = 0, frequency = 22050;
    PlayEffect(kept, pan, volume, frequency);
    ReleaseEffect(kept);
    EXPECT_TRUE(kept.empty() && device.effectPlays().empty());
    device.setOpenResult(false);
    EXPECT_FALSE(OpenSoundDevice(device));
    CloseSoundDevice();
}

}  // namespace
}  // namespace korvel
