#pragma once

#include <filesystem>
#include <memory>

#include "voice/AudioDevice.h"

namespace korvel {

// The real audio device, over SDL2 and SDL2_mixer.
//
// Output is 44.1 kHz 16-bit stereo with a buffer of 512 frames (11.6 ms), so an
// effect sounds within about one buffer of its start. Phrases are decoded by
// SDL_mixer (MP3, WAV, ...) and each plays on a channel of its own. Effects are
// decoded once at their file's own rate and mixed by this class on SDL_mixer's
// output, resampled on the fly to the requested playback rate, so pan, volume
// and rate can change while an effect sounds. MIDI music is rendered by
// SDL_mixer's FluidSynth with the given General MIDI soundfont and loops without
// a gap. Every source is mixed 3 dB down and the sum goes through a limiter
// that holds it 1 dB below full scale, so that nothing sounding at once clips.
//
// A phrase opened at a speed other than 100% is time-stretched after decoding
// with SoundTouch (tempo changed, pitch kept); the files themselves are never
// changed, so a player's own recordings are stretched the same way.
//
// When no sound output can be opened, the device falls back to SDL's silent
// "dummy" output so that everything (phrase timing included) runs on without
// sound; isSilent() then tells.
class SdlAudioDevice : public AudioDevice {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kBufferFrames = 512;

    explicit SdlAudioDevice(std::filesystem::path soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2");
    ~SdlAudioDevice() override;
    SdlAudioDevice(const SdlAudioDevice&) = delete;
    SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

    bool open() override;
    std::string openError() const override;
    void close() override;
    bool isOpen() const;
    bool isSilent() const;
    // The output rate obtained (Hz), 0 while closed.
    int outputRate() const;

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
    bool musicPlaying() const override;
    void setPhraseRate(int percent) override;
    void setMusicVolume(int hundredthsDb) override;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace korvel
