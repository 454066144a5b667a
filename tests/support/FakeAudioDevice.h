#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "AudioDevice.h"
#include "Clock.h"

namespace korvel::testing {

// A recording audio device for tests, in the time of a (virtual) clock.
//
// Phrase players: any file opens unless marked unplayable; a started phrase
// lasts its set duration (default 500 ms) and reports itself finished once that
// much clock time has passed. Effects: any file loads unless marked missing; a
// started effect sounds for its set duration (default 100 ms at the file's own
// rate). Everything asked of the device is kept in order, for the test to read.
class FakeAudioDevice : public AudioDevice {
  public:
    struct EffectPlay {
        std::string name;  // file stem
        int pan;
        int volume;
        int frequency;
        bool started;  // false when the call only changed a sounding effect
        std::int64_t at;
    };

    explicit FakeAudioDevice(const Clock& clock) : m_clock(clock) {}

    // Set-up. Names are file stems ("cursor"), paths are matched by their stem.
    void setPhraseDuration(const std::string& stem, int ms) { m_durations[stem] = ms; }
    void setDefaultPhraseDuration(int ms) { m_defaultDuration = ms; }
    void setUnplayable(const std::string& stem) { m_unplayable.insert(stem); }
    void setEffectDuration(int ms) { m_effectDuration = ms; }
    void setMissingEffect(const std::string& stem) { m_missingEffects.insert(stem); }
    void setOpenResult(bool ok) { m_openResult = ok; }

    // What happened.
    const std::vector<std::string>& openedPhrases() const { return m_opened; }  // paths
    std::vector<std::string> startedPhraseStems() const;
    // Clock time at which each phrase started, in order.
    const std::vector<std::int64_t>& phraseStarts() const { return m_starts; }
    const std::vector<EffectPlay>& effectPlays() const { return m_effectPlays; }
    const std::vector<std::string>& musicStarted() const { return m_music; }
    bool musicLooping() const { return m_musicLoop; }
    std::size_t livePlayers() const { return m_players.size(); }
    std::size_t liveEffects() const { return m_effects.size(); }
    bool isOpen() const { return m_open; }

    bool open() override;
    void close() override;

    Handle loadEffect(const std::filesystem::path& wavFile) override;
    void setEffectParams(Handle effect, int pan, int volume, int frequency) override;
    void startEffect(Handle effect) override;
    void stopEffect(Handle effect) override;
    bool effectPlaying(Handle effect) const override;
    void releaseEffect(Handle effect) override;

    Handle openPlayer(const std::filesystem::path& file) override;
    bool startPlayer(Handle player) override;
    void stopPlayer(Handle player) override;
    bool playerFinished(Handle player) const override;
    double playerPosition(Handle player) const override;
    double playerStopTime(Handle player) const override;
    void releasePlayer(Handle player) override;

    bool playMusic(const std::filesystem::path& file, bool loop) override;
    void stopMusic() override;
    bool musicPlaying() const override { return m_musicOn; }
    // A phrase lasts its set duration at 100%, proportionally less when faster.
    void setPhraseRate(int percent) override { m_rate = percent > 0 ? percent : 100; }
    void setMusicVolume(int hundredthsDb) override { m_musicVolume = hundredthsDb; }
    int musicVolume() const { return m_musicVolume; }

  private:
    struct Effect {
        std::string name;
        int pan = 0;
        int volume = 0;
        int frequency = 0;  // 0: the file's own rate
        std::int64_t endsAt = -1;
    };
    struct Player {
        std::string path;
        int durationMs = 0;
        std::int64_t startedAt = -1;
        bool stopped = false;
    };

    const Clock& m_clock;
    bool m_open = false;
    bool m_openResult = true;
    Handle m_next = 1;
    int m_defaultDuration = 500;
    int m_effectDuration = 100;
    std::map<std::string, int> m_durations;
    std::set<std::string> m_unplayable;
    std::set<std::string> m_missingEffects;
    std::map<Handle, Effect> m_effects;
    std::map<Handle, Player> m_players;
    std::vector<std::string> m_opened;
    std::vector<std::string> m_startedPaths;
    std::vector<std::int64_t> m_starts;
    std::vector<EffectPlay> m_effectPlays;
    std::vector<std::string> m_music;
    bool m_musicOn = false;
    bool m_musicLoop = false;
    int m_rate = 100;
    int m_musicVolume = 0;
};

}  // namespace korvel::testing
