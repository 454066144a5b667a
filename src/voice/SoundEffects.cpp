#include "voice/SoundEffects.h"

#include <string>

namespace korvel {

namespace {

constexpr std::int32_t kPanLimit = 10000;
constexpr std::int32_t kVolumeMin = -10000;

AudioDevice* g_device = nullptr;

}  // namespace

bool OpenSoundDevice(AudioDevice& device) {
    if (g_device != nullptr && g_device != &device) {
        CloseSoundDevice();
    }
    g_device = &device;
    return device.open();
}

void CloseSoundDevice() {
    if (g_device != nullptr) {
        g_device->close();
        g_device = nullptr;
    }
}

AudioDevice* SoundDevice() {
    return g_device;
}

bool LoadEffect(EffectBuffer& slot, const std::filesystem::path& programFolder,
                std::string_view name) {
    ReleaseEffect(slot);
    if (g_device == nullptr) {
        return false;
    }
    slot.handle = g_device->loadEffect(programFolder / "Sounds" / (std::string(name) + ".wav"));
    return !slot.empty();
}

void PlayEffect(const EffectBuffer& buffer, std::int32_t& pan, std::int32_t& volume,
                std::int32_t& frequency) {
    if (pan > kPanLimit) {
        pan = kPanLimit;
    } else if (pan < -kPanLimit) {
        pan = -kPanLimit;
    }
    if (volume < kVolumeMin) {
        volume = kVolumeMin;
    }
    if (g_device == nullptr || buffer.empty()) {
        return;
    }
    g_device->setEffectParams(buffer.handle, pan, volume, frequency);
    g_device->startEffect(buffer.handle);
}

void ReleaseEffect(EffectBuffer& slot) {
    if (g_device != nullptr && !slot.empty()) {
        g_device->stopEffect(slot.handle);
        g_device->releaseEffect(slot.handle);
    }
    slot.handle = 0;
}

}  // namespace korvel
