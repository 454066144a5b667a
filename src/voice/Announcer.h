#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"
#include "core/IniFile.h"
#include "voice/AudioDevice.h"

namespace korvel {

// The grammatical gender of what a number counts: seconds, minutes, cells and
// discs are feminine; hours, moves, points and stages masculine.
enum class Gender { Masculine, Feminine };

// The announcer: everything the game says in recorded speech goes through it.
//
// Three independent channels on one AudioDevice: the phrase queue (files played
// strictly one after another, advanced by a timer tick on the clock service), the
// one-shot sound channel and the looping music channel. The mute switch
// silences the queue and the sound channel and is kept under [Music] play in the
// settings file. The clock, the settings and the device are borrowed and must
// outlive the announcer; it owns the media players it opens.
class Announcer {
  public:
    static constexpr int kQueueSlots = 1024;

    Announcer(Clock& clock, Settings& settings, AudioDevice& device);
    ~Announcer();
    Announcer(const Announcer&) = delete;
    Announcer& operator=(const Announcer&) = delete;

    // Sets the tick interval (ms), makes the queue idle and loads the mute switch from the
    // settings file. A stored value that is not a number reads as 0 and is
    // written back as "0"; the announcer never refuses to start over it.
    bool Init(std::int32_t intervalMs = 200);

    // Sets the phrase folder, adding a final separator when it lacks one, and the
    // extension when none is set yet.
    void setPhraseFolder(std::string_view folder, std::string_view extension = ".mp3");
    const std::string& Folder() const { return m_folder; }
    const std::string& extension() const { return m_extension; }
    // A value without a leading dot gets one.
    void setExtension(std::string_view value);

    // Queues one phrase (a name within Folder, or a full path while Folder is
    // empty). False, and nothing queued, when muted or when all slots are taken.
    bool AddFile(std::string_view name);
    // Queues the number words that say `number` (0..9999; anything else says nothing).
    // A feminine count ends in "одна" / "две" where a masculine one says "один" / "два".
    void Number(std::int32_t number, Gender gender = Gender::Masculine);
    // Stops the current phrase and empties the queue.
    void Clear();
    // Phrases queued since the queue was last idle; 0 once the last has ended.
    std::int32_t Count() const { return m_nextSlot - 1; }
    // Playback position of the current phrase in seconds.
    float Position() const;

    bool PlaySound(std::string_view File, bool MusicStat = true);
    void StopSound();
    // True while the sound channel's file is still playing.
    bool SoundPlaying() const;
    bool PlayMusic(std::string_view File, bool PlayMusicStat = true);
    void StopMusic();

    std::int16_t muted() const { return m_muted; }
    // Stores the switch and writes it to the settings file at once.
    void setMuted(std::int16_t value);

    // The announcer's speed in percent of the recorded speed, pitch kept:
    // kRateMin..kRateMax in steps of kRateStep, kept under [Music] rate (a
    // missing or zero value reads as 100). Every phrase opened after a change
    // plays at the new speed.
    static constexpr int kRateMin = 80;
    static constexpr int kRateMax = 250;
    static constexpr int kRateStep = 10;
    int Rate() const { return m_rate; }
    // Rounds to the nearest step within the range, applies and stores it.
    void setRate(int percent);

    // The music's level in decibels below its normal level, kept under [Music]
    // volume: 0 down to kVolumeFloor in steps of kVolumeStep, then
    // kVolumeSilent, which silences the music.
    static constexpr int kVolumeStep = 3;
    static constexpr int kVolumeFloor = -30;
    static constexpr int kVolumeSilent = kVolumeFloor - kVolumeStep;
    int MusicVolume() const { return m_musicVolume; }
    // Rounds to the nearest step within the range, applies and stores it.
    void setMusicVolume(int db);

    // The tick interval in milliseconds and whether the tick runs (for tests and waits).
    int interval() const { return m_interval; }
    bool ticking() const { return m_timer != 0; }

  private:
    void tick();
    void playCurrent();
    void stopCurrent();
    void startTick();
    void stopTick();
    void makeIdle();
    void applyRate(int percent);
    void applyMusicVolume(int db);

    Clock& m_clock;
    Settings& m_settings;
    AudioDevice& m_device;

    std::string m_folder;
    std::string m_extension;
    std::array<std::string, kQueueSlots> m_queue;  // slot n is m_queue[n - 1]
    std::int32_t m_nextSlot = 1;
    std::int32_t m_currentSlot = 1;
    std::int16_t m_muted = 0;
    bool m_loop = false;
    int m_rate = 100;
    int m_musicVolume = 0;
    int m_interval = 200;
    Clock::TimerId m_timer = 0;
    AudioDevice::Handle m_phrasePlayer = 0;
    AudioDevice::Handle m_soundPlayer = 0;
};

// The number words that say `n`, in order: the phrase names Number queues.
// Empty for numbers outside 0..9999.
std::vector<std::string> NumberWords(std::int32_t n, Gender gender = Gender::Masculine);

}  // namespace korvel
