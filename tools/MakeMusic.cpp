// Generates the game's two pieces of background music as Standard MIDI Files
// (format 1, General MIDI instruments), composed for Korvel:
//   remembr.mid - the music under play: a slow sixteen-bar song in A minor for a
//                 warm pad, an electric piano and a soft bass, 64 seconds long;
//   heat.mid    - the pause: a light music-box waltz in F major over strings,
//                 20 seconds long.
// Both are written to loop: every part ends exactly on the last bar line, no
// note is left sounding, and the harmony of the last bar leads back to the first.
//
// Usage: korvel_make_music <Musics folder>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace korvel {
namespace {

constexpr int kTicksPerQuarter = 480;

struct Event {
    std::uint32_t tick;
    int order;  // at equal ticks: note-offs (0) before controls (1) before note-ons (2)
    std::vector<std::uint8_t> bytes;
};

// One track being composed; times are in ticks from the start of the piece.
class Track {
  public:
    void meta(std::uint32_t tick, std::uint8_t type, std::vector<std::uint8_t> data) {
        std::vector<std::uint8_t> b = {0xFF, type};
        appendLength(b, static_cast<std::uint32_t>(data.size()));
        b.insert(b.end(), data.begin(), data.end());
        m_events.push_back({tick, 1, std::move(b)});
    }
    void control(int channel, std::uint8_t number, std::uint8_t value) {
        m_events.push_back({0, 1, {static_cast<std::uint8_t>(0xB0 | channel), number, value}});
    }
    void program(int channel, std::uint8_t instrument) {
        m_events.push_back({0, 1, {static_cast<std::uint8_t>(0xC0 | channel), instrument}});
    }
    void note(int channel, std::uint32_t start, std::uint32_t length, int key, int velocity) {
        auto k = static_cast<std::uint8_t>(key);
        m_events.push_back(
            {start,
             2,
             {static_cast<std::uint8_t>(0x90 | channel), k, static_cast<std::uint8_t>(velocity)}});
        m_events.push_back(
            {start + length, 0, {static_cast<std::uint8_t>(0x80 | channel), k, 0x40}});
    }

    // The track chunk, closed by End of Track at `endTick`.
    std::vector<std::uint8_t> chunk(std::uint32_t endTick) const {
        std::vector<Event> events = m_events;
        std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<std::uint8_t> body;
        std::uint32_t now = 0;
        for (const Event& e : events) {
            appendLength(body, e.tick - now);
            now = e.tick;
            body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        }
        appendLength(body, endTick - now);
        body.insert(body.end(), {0xFF, 0x2F, 0x00});

        std::vector<std::uint8_t> out = {'M', 'T', 'r', 'k'};
        appendBigEndian(out, static_cast<std::uint32_t>(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
        return out;
    }

    static void appendLength(std::vector<std::uint8_t>& b, std::uint32_t v) {
        std::uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
            v >>= 7;
        } while (v != 0);
        while (n > 1) {
            b.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
        }
        b.push_back(groups[0]);
    }
    static void appendBigEndian(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
        for (int i = bytes - 1; i >= 0; --i) {
            b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
        }
    }

  private:
    std::vector<Event> m_events;
};

// Opens a part on `channel` with its instrument, volume and a little reverb.
Track part(int channel, std::uint8_t instrument, std::uint8_t volume, const char* name) {
    Track t;
    std::string n = name;
    t.meta(0, 0x03, std::vector<std::uint8_t>(n.begin(), n.end()));
    t.program(channel, instrument);
    t.control(channel, 7, volume);
    t.control(channel, 10, 64);
    t.control(channel, 91, 48);
    return t;
}

// The conductor track: title, tempo and metre.
Track conductor(const char* title, std::uint32_t microsecondsPerQuarter, int beatsPerBar) {
    Track t;
    std::string n = title;
    t.meta(0, 0x03, std::vector<std::uint8_t>(n.begin(), n.end()));
    t.meta(0, 0x51,
           {static_cast<std::uint8_t>(microsecondsPerQuarter >> 16),
            static_cast<std::uint8_t>(microsecondsPerQuarter >> 8),
            static_cast<std::uint8_t>(microsecondsPerQuarter)});
    t.meta(0, 0x58, {static_cast<std::uint8_t>(beatsPerBar), 2, 24, 8});
    return t;
}

bool writeMidi(const std::filesystem::path& path, const std::vector<Track>& tracks,
               std::uint32_t endTick) {
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    Track::appendBigEndian(out, static_cast<std::uint32_t>(tracks.size()), 2);
    Track::appendBigEndian(out, kTicksPerQuarter, 2);
    for (const Track& t : tracks) {
        std::vector<std::uint8_t> c = t.chunk(endTick);
        out.insert(out.end(), c.begin(), c.end());
    }
    std::filesystem::path partial = path;
    partial += ".part";
    {
        std::ofstream f(partial, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(out.data()),
                static_cast<std::streamsize>(out.size()));
        if (!f.flush()) {
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    return !ec;
}

// A melody note: key (0 = rest) and length in beats.
struct Step {
    int key;
    int beats;
};

// remembr.mid: 60 beats per minute, 4/4, sixteen bars of four seconds.
bool writeRemembrance(const std::filesystem::path& path) {
    constexpr std::uint32_t beat = kTicksPerQuarter;
    constexpr std::uint32_t bar = 4 * beat;
    constexpr int bars = 16;

    // Chords of the song, each a bar: pad voicing and bass root (mid-low).
    struct Chord {
        int pad[3];
        int root;
        int fifth;
    };
    const Chord am = {{57, 60, 64}, 45, 40}, f = {{57, 60, 65}, 41, 48}, c = {{55, 60, 64}, 36, 43},
                g = {{55, 59, 62}, 43, 38}, dm = {{57, 62, 65}, 38, 45}, e = {{56, 59, 64}, 40, 47},
                em = {{55, 59, 64}, 40, 47};
    const Chord song[bars] = {am, f, c, g, am, f, dm, e, f, g, em, am, dm, g, c, e};

    const std::vector<std::vector<Step>> melody = {
        {{69, 2}, {72, 1}, {71, 1}}, {{69, 3}, {0, 1}},           {{67, 2}, {64, 1}, {67, 1}},
        {{71, 2}, {69, 1}, {67, 1}}, {{64, 2}, {69, 2}},          {{72, 2}, {69, 1}, {65, 1}},
        {{65, 1}, {69, 1}, {74, 2}}, {{71, 3}, {68, 1}},          {{69, 2}, {72, 2}},
        {{71, 2}, {74, 2}},          {{76, 2}, {71, 1}, {67, 1}}, {{69, 3}, {0, 1}},
        {{65, 2}, {69, 1}, {74, 1}}, {{71, 2}, {69, 1}, {67, 1}}, {{64, 2}, {67, 1}, {72, 1}},
        {{71, 2}, {68, 2}},
    };

    Track pad = part(0, 89, 80, "Pad");       // Pad 2 (warm)
    Track bass = part(1, 32, 85, "Bass");     // Acoustic Bass
    Track piano = part(2, 4, 78, "E.Piano");  // Electric Piano 1
    for (int b = 0; b < bars; ++b) {
        std::uint32_t at = static_cast<std::uint32_t>(b) * bar;
        for (int key : song[b].pad) {
            pad.note(0, at, bar, key, 38);
        }
        bass.note(1, at, 3 * beat - beat / 8, song[b].root, 52);
        bass.note(1, at + 3 * beat, beat - beat / 8, song[b].fifth, 44);
        std::uint32_t t = at;
        for (const Step& s : melody[static_cast<std::size_t>(b)]) {
            std::uint32_t len = static_cast<std::uint32_t>(s.beats) * beat;
            if (s.key != 0) {
                // Slightly detached, softer on the weak beats.
                int velocity = (t - at) % (2 * beat) == 0 ? 50 : 42;
                piano.note(2, t, len - beat / 10, s.key, velocity);
            }
            t += len;
        }
    }
    std::vector<Track> tracks = {conductor("Korvel: remembrance", 1000000, 4), pad, bass, piano};
    return writeMidi(path, tracks, bars * bar);
}

// heat.mid: a waltz at 72 beats per minute, 3/4, eight bars of 2.5 seconds.
bool writePause(const std::filesystem::path& path) {
    constexpr std::uint32_t beat = kTicksPerQuarter;
    constexpr std::uint32_t eighth = beat / 2;
    constexpr std::uint32_t bar = 3 * beat;
    constexpr int bars = 8;

    // Chord tones for the music box figure and the string chord of each bar.
    struct Chord {
        int tones[3];  // root, third, fifth in the music box octave
        int strings[3];
    };
    const Chord fMaj = {{65, 69, 72}, {53, 57, 60}}, dm = {{62, 65, 69}, {50, 57, 62}},
                bb = {{58, 62, 65}, {50, 53, 58}}, cMaj = {{60, 64, 67}, {48, 55, 60}},
                gm = {{55, 58, 62}, {50, 55, 58}}, c7 = {{60, 64, 70}, {48, 52, 58}};
    const Chord piece[bars] = {fMaj, dm, bb, cMaj, fMaj, bb, gm, c7};

    Track box = part(0, 10, 82, "Music box");    // Music Box
    Track strings = part(1, 48, 64, "Strings");  // String Ensemble 1
    for (int b = 0; b < bars; ++b) {
        std::uint32_t at = static_cast<std::uint32_t>(b) * bar;
        const Chord& ch = piece[b];
        // Up and back down the chord, the top an octave above the root.
        const int figure[6] = {ch.tones[0],      ch.tones[1], ch.tones[2],
                               ch.tones[0] + 12, ch.tones[2], ch.tones[1]};
        for (int i = 0; i < 6; ++i) {
            int velocity = i == 0 ? 52 : (i == 3 ? 46 : 38);
            box.note(0, at + static_cast<std::uint32_t>(i) * eighth, eighth, figure[i], velocity);
        }
        for (int key : ch.strings) {
            strings.note(1, at, bar, key, 34);
        }
    }
    std::vector<Track> tracks = {conductor("Korvel: pause", 833333, 3), box, strings};
    return writeMidi(path, tracks, bars * bar);
}

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <Musics folder>\n", argv[0]);
        return 2;
    }
    std::filesystem::path folder = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!korvel::writeRemembrance(folder / "remembr.mid") ||
        !korvel::writePause(folder / "heat.mid")) {
        std::fprintf(stderr, "korvel_make_music: cannot write into %s\n", folder.string().c_str());
        return 1;
    }
    return 0;
}
