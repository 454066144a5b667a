#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "voice/AudioDevice.h"

namespace korvel {

// The positional sound effects: one sound device for the whole program, opened
// by the shell at start-up and closed at exit, and one buffer per effect, owned
// by the control that loaded it until its UnInit.
//
// Units: pan in hundredths of a decibel of attenuation of the far side, -10000
// (left only) .. 10000 (right only); volume in hundredths of a decibel, 0 (full)
// .. -10000 (silent); frequency in Hz, the playback rate of the file's samples.

// A control's slot for one effect; empty when nothing is loaded or the file
// could not be read, in which case the effect is silent.
struct EffectBuffer {
    AudioDevice::Handle handle = 0;
    bool empty() const { return handle == 0; }
};

// Makes `device` the program's sound device and opens it. The device is
// borrowed until CloseSoundDevice. True when an output is open; a device that
// found no sound card plays on silently and still reports true.
bool OpenSoundDevice(AudioDevice& device);
void CloseSoundDevice();
// The open sound device, or null.
AudioDevice* SoundDevice();

// Loads programFolder/Sounds/<name>.wav into `slot`, releasing what it held.
// False, with the slot empty, when there is no device or the file is missing or
// unreadable.
bool LoadEffect(EffectBuffer& slot, const std::filesystem::path& programFolder,
                std::string_view name);

// Clamps pan to -10000..10000 and volume to at least -10000 (the caller's
// variables change too), sets pan, volume and frequency and starts the effect
// once. An effect still sounding is not restarted: it goes on with the new values.
void PlayEffect(const EffectBuffer& buffer, std::int32_t& pan, std::int32_t& volume,
                std::int32_t& frequency);

// Stops the effect and empties the slot.
void ReleaseEffect(EffectBuffer& slot);

}  // namespace korvel
