#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace korvel {

// The narrow audio device behind the announcer and the sound effects.
//
// Three kinds of output:
// - effect buffers: a WAV file decoded once, then started many times with a pan
//   and a volume in hundredths of a decibel and a playback rate in Hz. Starting a
//   buffer that is still sounding does nothing (one buffer never overlaps
//   itself); its parameters may change while it sounds;
// - media players: one recorded phrase each, opened from a file, started once,
//   queried for its position and length in seconds, released by its owner;
// - the music channel: one file at a time, optionally looping without a gap.
//
// Handles are positive and never reused during a device's life; 0 means none.
// Every call with a handle that is unknown (never given, released, or given
// before a close) is harmless. Failures are never raised: loads and opens
// return 0, other calls do nothing.
class AudioDevice {
  public:
    using Handle = int;

    virtual ~AudioDevice() = default;

    // Opens the output. True when some output is open (possibly a silent one).
    virtual bool open() = 0;
    // Why the last open failed, in the sound system's words; empty when unknown.
    virtual std::string openError() const { return {}; }
    // Stops and frees everything; all handles become unknown.
    virtual void close() = 0;

    virtual Handle loadEffect(const std::filesystem::path& wavFile) = 0;
    // pan -10000 (left only) .. 10000 (right only); volume 0 (full) .. -10000
    // (silent), values above 0 play at full level; frequency in Hz, the rate at
    // which the file's samples are played (the file's own rate: unchanged).
    virtual void setEffectParams(Handle effect, int pan, int volume, int frequency) = 0;
    virtual void startEffect(Handle effect) = 0;
    virtual void stopEffect(Handle effect) = 0;
    virtual bool effectPlaying(Handle effect) const = 0;
    virtual void releaseEffect(Handle effect) = 0;

    // Opens and decodes a phrase file; 0 when it is missing or cannot be decoded.
    virtual Handle openPlayer(const std::filesystem::path& file) = 0;
    virtual bool startPlayer(Handle player) = 0;
    virtual void stopPlayer(Handle player) = 0;
    // True once a started player has played to its end (or was stopped).
    virtual bool playerFinished(Handle player) const = 0;
    // Seconds from the start of the file; the length once finished.
    virtual double playerPosition(Handle player) const = 0;
    // The file's length in seconds.
    virtual double playerStopTime(Handle player) const = 0;
    virtual void releasePlayer(Handle player) = 0;

    // The speed of every phrase opened from now on, in percent of its recorded
    // speed, its pitch kept; 100 plays the files as they are.
    virtual void setPhraseRate(int percent) = 0;

    // Replaces whatever the music channel plays. False when the file cannot be
    // opened or started; the channel is then silent.
    virtual bool playMusic(const std::filesystem::path& file, bool loop) = 0;
    virtual void stopMusic() = 0;
    virtual bool musicPlaying() const = 0;
    // The music channel's level in hundredths of a decibel below its normal
    // level: 0 unchanged, -10000 and below silent. Holds for the music playing
    // and for later music.
    virtual void setMusicVolume(int hundredthsDb) = 0;
};

}  // namespace korvel
