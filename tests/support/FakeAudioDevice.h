#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "voice/AudioDevice.h"

namespace korvel::testing {

// A clock time as the transcripts stamp their lines: seconds, eight wide.
std::string Stamp(std::int64_t ms);

// The recording sound device of the tests, in the time of a (virtual) clock:
// writes what a player would hear into `lines`, stamped with the clock time.
//
// Phrases: any file opens unless marked unplayable; a started phrase lasts its
// set duration (default 500 ms at 100% rate) and then reports itself finished.
// Effects: any file loads unless marked missing; a started effect sounds 100 ms
// at the file's own rate. The clock's ticks ("tiktak") are not written.
class TranscriptDevice : public AudioDevice {
  public:
    TranscriptDevice(const Clock& clock, std::vector<std::string>& lines)
        : m_clock(clock), m_lines(lines) {}

    // When set, a file it rejects cannot be opened or loaded, as a missing or
    // undecodable file on the real device.
    std::function<bool(const std::filesystem::path&)> playable;
    // Set-up by file stem ("cursor").
    void setPhraseDuration(const std::string& stem, int ms) { m_durations[stem] = ms; }
    void setUnplayable(const std::string& stem) { m_unplayable.insert(stem); }
    void setMissingEffect(const std::string& stem) { m_missingEffects.insert(stem); }
    void setOpenResult(bool ok) { m_openResult = ok; }

    std::vector<std::string> startedPhraseStems() const { return m_started; }
    std::size_t livePlayers() const { return m_players.size(); }
    std::size_t liveEffects() const { return m_effects.size(); }
    bool isOpen() const { return m_open; }
    // Adds a line to the transcript, stamped with the clock time.
    void write(const std::string& what);

    bool open() override { return m_open = m_openResult; }
    std::string openError() const override { return m_openResult ? "" : "no audio device"; }
    void close() override;

    Handle loadEffect(const std::filesystem::path& wavFile) override;
    void setEffectParams(Handle effect, int pan, int volume, int frequency) override;
    void startEffect(Handle effect) override;
    void stopEffect(Handle effect) override;
    bool effectPlaying(Handle effect) const override;
    void releaseEffect(Handle effect) override { m_effects.erase(effect); }

    Handle openPlayer(const std::filesystem::path& file) override;
    bool startPlayer(Handle player) override;
    void stopPlayer(Handle player) override;
    bool playerFinished(Handle player) const override;
    double playerPosition(Handle player) const override;
    double playerStopTime(Handle player) const override;
    void releasePlayer(Handle player) override { m_players.erase(player); }

    bool playMusic(const std::filesystem::path& file, bool loop) override;
    void stopMusic() override;
    bool musicPlaying() const override { return m_musicOn; }
    // A phrase lasts its set duration at 100%, proportionally less when faster.
    void setPhraseRate(int percent) override { m_rate = percent > 0 ? percent : 100; }
    void setMusicVolume(int hundredthsDb) override;

  private:
    struct Player {
        std::string stem;
        int durationMs = 0;
        std::int64_t startedAt = -1;
        bool stopped = false;
    };
    const Player* started(Handle player) const;

    const Clock& m_clock;
    std::vector<std::string>& m_lines;
    bool m_open = false;
    bool m_openResult = true;
    bool m_musicOn = false;
    int m_rate = 100;
    int m_musicVolume = 0;
    Handle m_next = 1;
    std::map<std::string, int> m_durations;
    std::set<std::string> m_unplayable, m_missingEffects;
    std::map<Handle, int> m_effects;  // the frequency of each loaded effect (0: the file's own)
    std::map<Handle, std::int64_t> m_endsAt;
    std::map<Handle, std::string> m_names, m_params;  // kept after release, as written
    std::map<Handle, Player> m_players;
    std::string m_lastOpened;
    std::vector<std::string> m_started;
};

}  // namespace korvel::testing
