#include "platform/SdlAudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SoundTouch.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "core/TimingMarks.h"

namespace korvel {

namespace {

constexpr int kFirstChannels = 16;
constexpr int kMinFrequency = 100;
constexpr int kMaxFrequency = 200000;

// Every source (phrases, music, effects) is mixed 3 dB down, so that a phrase
// at full scale with the music under it still fits in 16 bits when SDL_mixer
// adds them; the effects, added after, are brought under the ceiling by the
// limiter. The balance between the sources is the recordings' own.
constexpr float kSourceGain = 0.708f;
constexpr int kSourceVolume = 91;  // kSourceGain in SDL_mixer's 0..128
// The limiter: peaks of the sum are held at 1 dB below full scale, and the
// gain comes back up over about 80 ms once they have passed.
constexpr float kCeiling = 0.891f * 32767.0f;
constexpr double kReleaseSeconds = 0.080;

// Hundredths of a decibel to a linear gain; -10000 and below is silence.
float Gain(int hundredthsDb) {
    if (hundredthsDb <= -10000) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

// A decoded effect and the state of its one voice. Guarded by Impl::mutex.
struct Effect {
    std::vector<Sint16> samples;  // interleaved frames at the file's own rate
    int channels = 1;             // 1 or 2
    int rate = 22050;
    std::size_t frames = 0;

    bool playing = false;
    double position = 0.0;  // in frames of the file
    double step = 1.0;      // file frames per output frame
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    std::string name;  // the file's, for the timing marks
};

struct Player {
    Mix_Chunk* chunk = nullptr;
    int channel = -1;
    bool started = false;
    bool stopped = false;
    double length = 0.0;
    Uint64 startMs = 0;
    std::string name;  // the file's, for the timing marks
};

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

// Whether a file that claims to be standard MIDI has a sound chunk structure.
// The MIDI decoder accepts any file that begins with "MThd" and then plays
// silence, so a damaged music file would otherwise pass for music.
bool MidiLooksSound(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() < 4 || std::memcmp(bytes.data(), "MThd", 4) != 0) {
        return true;  // not MIDI: the decoders judge it
    }
    if (bytes.size() < 14 || BigEndian32(&bytes[4]) != 6) {
        return false;
    }
    const unsigned tracks = (unsigned{bytes[10]} << 8) | bytes[11];
    std::size_t at = 14;
    unsigned found = 0;
    while (at + 8 <= bytes.size()) {
        const std::size_t length = BigEndian32(&bytes[at + 4]);
        if (length > bytes.size() - at - 8) {
            return false;
        }
        if (std::memcmp(&bytes[at], "MTrk", 4) == 0) {
            ++found;
        }
        at += 8 + length;
    }
    return tracks > 0 && found >= tracks;
}

// Time-stretches the decoded phrase in `chunk` (16-bit frames of `channels`
// at `rate` Hz) to `percent` of its speed, pitch kept, and puts the result in
// its place. The settings suit speech: short sequences keep the syllables
// crisp. False, and the chunk untouched, when the result cannot be held.
bool StretchChunk(Mix_Chunk& chunk, int rate, int channels, int percent) {
    const std::size_t frames = chunk.alen / (sizeof(Sint16) * static_cast<std::size_t>(channels));
    if (chunk.allocated == 0 || frames == 0) {
        return false;
    }
    soundtouch::SoundTouch stretch;
    stretch.setSampleRate(static_cast<unsigned>(rate));
    stretch.setChannels(static_cast<unsigned>(channels));
    stretch.setTempo(percent / 100.0);
    stretch.setSetting(SETTING_SEQUENCE_MS, 40);
    stretch.setSetting(SETTING_SEEKWINDOW_MS, 15);
    stretch.setSetting(SETTING_OVERLAP_MS, 8);
    const auto* in = reinterpret_cast<const Sint16*>(chunk.abuf);
    std::vector<float> samples(in, in + frames * static_cast<std::size_t>(channels));
    stretch.putSamples(samples.data(), static_cast<unsigned>(frames));
    stretch.flush();
    // What flush pads beyond the stretched length is silence: it is cut.
    const auto wanted = static_cast<std::size_t>(static_cast<double>(frames) * 100.0 / percent);
    samples.assign((wanted + 1) * static_cast<std::size_t>(channels), 0.0f);
    const std::size_t got = stretch.receiveSamples(samples.data(), static_cast<unsigned>(wanted));
    const std::size_t count = got * static_cast<std::size_t>(channels);
    auto* out = static_cast<Sint16*>(SDL_malloc(std::max<std::size_t>(count, 1) * sizeof(Sint16)));
    if (out == nullptr || got == 0) {
        SDL_free(out);
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<Sint16>(std::clamp(samples[i], -32768.0f, 32767.0f));
    }
    SDL_free(chunk.abuf);
    chunk.abuf = reinterpret_cast<Uint8*>(out);
    chunk.alen = static_cast<Uint32>(count * sizeof(Sint16));
    return true;
}

// A WAV file's samples as 16-bit frames at its own rate, one or two
// channels; none when it cannot be read or holds no sample.
std::unique_ptr<Effect> DecodeEffect(const std::filesystem::path& wavFile) {
    SDL_AudioSpec fileFormat{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(wavFile.c_str(), &fileFormat, &buffer, &length) == nullptr) {
        return nullptr;
    }
    auto effect = std::make_unique<Effect>();
    effect->name = wavFile.filename().string();
    effect->channels = fileFormat.channels >= 2 ? 2 : 1;
    effect->rate = fileFormat.freq > 0 ? fileFormat.freq : 22050;
    SDL_AudioCVT cvt;
    const int built =
        SDL_BuildAudioCVT(&cvt, fileFormat.format, fileFormat.channels, fileFormat.freq,
                          AUDIO_S16SYS, static_cast<Uint8>(effect->channels), fileFormat.freq);
    if (built < 0 || length == 0) {  // an effect without samples is no effect
        SDL_FreeWAV(buffer);
        return nullptr;
    }
    std::vector<Uint8> bytes(static_cast<std::size_t>(length) *
                             static_cast<std::size_t>(std::max(1, cvt.len_mult)));
    std::memcpy(bytes.data(), buffer, length);
    SDL_FreeWAV(buffer);
    std::size_t converted = length;
    if (built == 1) {
        cvt.buf = bytes.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) != 0) {
            return nullptr;
        }
        converted = static_cast<std::size_t>(cvt.len_cvt);
    }
    const std::size_t frameBytes = sizeof(Sint16) * static_cast<std::size_t>(effect->channels);
    effect->frames = converted / frameBytes;
    if (effect->frames == 0) {
        return nullptr;
    }
    effect->samples.resize(effect->frames * static_cast<std::size_t>(effect->channels));
    std::memcpy(effect->samples.data(), bytes.data(), effect->frames * frameBytes);
    return effect;
}

}  // namespace

struct SdlAudioDevice::Impl {
    std::filesystem::path soundFont;
    bool open = false;
    bool silent = false;
    bool subsystem = false;
    int rate = 0;
    int outChannels = 2;
    bool mixEffects = false;
    int allocatedChannels = 0;
    Handle nextHandle = 1;
    int phraseRate = 100;             // percent
    int musicVolume = kSourceVolume;  // SDL_mixer's 0..128

    mutable std::mutex mutex;  // effects, scratch and limiter, shared with the mixing thread
    std::map<Handle, std::unique_ptr<Effect>> effects;
    std::vector<float> scratch;
    float limiterGain = 1.0f;
    float limiterRelease = 0.0f;  // share of the way back to 1 per frame

    std::map<Handle, Player> players;
    Mix_Music* music = nullptr;

    std::string openError;  // of the last open that failed
    // Phrases started since the last mix, marked when their first samples are mixed.
    std::vector<std::string> startedPlayers;

    bool tryOpen(const char* driver);
    static void postMix(void* self, Uint8* stream, int len);
    void mix(Sint16* out, int frames);
    void markStarts();
    int freeChannel();
};

bool SdlAudioDevice::Impl::tryOpen(const char* driver) {
    if (driver != nullptr) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    }
    // The program owns its signals: SIGTERM, SIGINT and SIGHUP run its own shutdown.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    subsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    bool ok = subsystem && Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, kBufferFrames) == 0;
    if (driver != nullptr) {
        SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    }
    if (!ok && subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem = false;
    }
    return ok;
}

void SdlAudioDevice::Impl::postMix(void* self, Uint8* stream, int len) {
    auto* impl = static_cast<Impl*>(self);
    const int frameBytes = static_cast<int>(sizeof(Sint16)) * impl->outChannels;
    impl->mix(reinterpret_cast<Sint16*>(stream), len / frameBytes);
}

// Adds every sounding effect to `frames` frames of SDL_mixer's output and
// limits the sum: where it would pass the ceiling, the gain drops at once to
// just what keeps it there, then recovers smoothly, so loud moments are turned
// down rather than clipped.
void SdlAudioDevice::Impl::mix(Sint16* out, int frames) {
    std::lock_guard lock(mutex);
    if (frames <= 0) {
        return;
    }
    const std::size_t count = static_cast<std::size_t>(frames) * 2;
    if (scratch.size() < count) {
        scratch.resize(count);
    }
    for (int f = 0; f < frames; ++f) {
        const Sint16* frame = out + static_cast<std::ptrdiff_t>(f) * outChannels;
        scratch[2 * f] = frame[0];
        scratch[2 * f + 1] = frame[outChannels > 1 ? 1 : 0];
    }
    markStarts();
    for (auto& [handle, effect] : effects) {
        Effect& e = *effect;
        for (int f = 0; f < frames && e.playing; ++f) {
            const auto i = static_cast<std::size_t>(e.position);
            if (i >= e.frames) {
                e.playing = false;
                break;
            }
            const float frac = static_cast<float>(e.position - static_cast<double>(i));
            auto at = [&](std::size_t frame, int ch) -> float {
                return frame < e.frames ? e.samples[frame * e.channels + ch] : 0.0f;
            };
            const float left = at(i, 0) + (at(i + 1, 0) - at(i, 0)) * frac;
            const int rc = e.channels > 1 ? 1 : 0;
            const float right = at(i, rc) + (at(i + 1, rc) - at(i, rc)) * frac;
            scratch[2 * f] += left * e.gainLeft * kSourceGain;
            scratch[2 * f + 1] += right * e.gainRight * kSourceGain;
            e.position += e.step;
        }
        if (static_cast<std::size_t>(e.position) >= e.frames) {
            e.playing = false;
        }
    }
    for (int f = 0; f < frames; ++f) {
        const float l = scratch[2 * f];
        const float r = scratch[2 * f + 1];
        const float top = std::max(std::abs(l), std::abs(r));
        limiterGain += (1.0f - limiterGain) * limiterRelease;
        if (top * limiterGain > kCeiling) {
            limiterGain = kCeiling / top;
        }
        Sint16* frame = out + static_cast<std::ptrdiff_t>(f) * outChannels;
        if (outChannels == 1) {
            frame[0] = static_cast<Sint16>((l + r) * 0.5f * limiterGain);
        } else {
            frame[0] = static_cast<Sint16>(l * limiterGain);
            frame[1] = static_cast<Sint16>(r * limiterGain);
        }
    }
}

// The timing marks of the phrases and effects whose first samples this mix holds.
void SdlAudioDevice::Impl::markStarts() {
    for (const std::string& name : startedPlayers) {
        TimingMark("sound " + name);
    }
    startedPlayers.clear();
    if (TimingMarksOn()) {
        for (const auto& [handle, effect] : effects) {
            if (effect->playing && effect->position == 0.0) {
                TimingMark("effect " + effect->name);
            }
        }
    }
}

int SdlAudioDevice::Impl::freeChannel() {
    std::set<int> used;
    for (const auto& [h, p] : players) {
        if (p.channel >= 0) {
            used.insert(p.channel);
        }
    }
    for (int c = 0; c < allocatedChannels; ++c) {
        if (used.count(c) == 0) {
            return c;
        }
    }
    const int first = allocatedChannels;
    allocatedChannels = Mix_AllocateChannels(allocatedChannels * 2);
    return first < allocatedChannels ? first : -1;
}

SdlAudioDevice::SdlAudioDevice(std::filesystem::path soundFont) : m_impl(std::make_unique<Impl>()) {
    m_impl->soundFont = std::move(soundFont);
}

SdlAudioDevice::~SdlAudioDevice() {
    close();
}

bool SdlAudioDevice::open() {
    Impl& d = *m_impl;
    if (d.open) {
        return true;
    }
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
    if (d.tryOpen(nullptr)) {
        d.silent = false;
    } else if (const std::string error = SDL_GetError(); d.tryOpen("dummy")) {
        d.silent = true;
    } else {
        d.openError = error;
        Mix_Quit();
        return false;
    }
    d.open = true;
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&rate, &format, &channels);
    d.rate = rate > 0 ? rate : kRate;
    d.outChannels = channels > 0 ? channels : 2;
    d.mixEffects = format == AUDIO_S16SYS;
    d.limiterRelease = static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * d.rate)));
    d.limiterGain = 1.0f;
    d.allocatedChannels = Mix_AllocateChannels(kFirstChannels);
    std::error_code ec;
    if (!d.soundFont.empty() && std::filesystem::exists(d.soundFont, ec)) {
        Mix_SetSoundFonts(d.soundFont.c_str());
    }
    if (d.mixEffects) {
        Mix_SetPostMix(&Impl::postMix, &d);
    }
    return true;
}

std::string SdlAudioDevice::openError() const {
    return m_impl->openError;
}

void SdlAudioDevice::close() {
    Impl& d = *m_impl;
    if (!d.open) {
        return;
    }
    stopMusic();
    Mix_HaltChannel(-1);
    for (auto& [h, p] : d.players) {
        Mix_FreeChunk(p.chunk);
    }
    d.players.clear();
    Mix_SetPostMix(nullptr, nullptr);
    {
        std::lock_guard lock(d.mutex);
        d.effects.clear();
    }
    Mix_CloseAudio();
    Mix_Quit();
    if (d.subsystem) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        d.subsystem = false;
    }
    d.open = false;
    d.silent = false;
    d.rate = 0;
}

bool SdlAudioDevice::isOpen() const {
    return m_impl->open;
}
bool SdlAudioDevice::isSilent() const {
    return m_impl->silent;
}
int SdlAudioDevice::outputRate() const {
    return m_impl->rate;
}

AudioDevice::Handle SdlAudioDevice::loadEffect(const std::filesystem::path& wavFile) {
    Impl& d = *m_impl;
    if (!d.open || !d.mixEffects) {
        return 0;
    }
    std::unique_ptr<Effect> effect = DecodeEffect(wavFile);
    if (!effect) {
        return 0;
    }
    effect->step = static_cast<double>(effect->rate) / d.rate;
    std::lock_guard lock(d.mutex);
    const Handle handle = d.nextHandle++;
    d.effects.emplace(handle, std::move(effect));
    return handle;
}

void SdlAudioDevice::setEffectParams(Handle effect, int pan, int volume, int frequency) {
    Impl& d = *m_impl;
    const float gain = Gain(std::min(volume, 0));
    float left = gain;
    float right = gain;
    if (pan < 0) {
        right *= Gain(pan);
    } else if (pan > 0) {
        left *= Gain(-pan);
    }
    std::lock_guard lock(d.mutex);
    auto it = d.effects.find(effect);
    if (it == d.effects.end()) {
        return;
    }
    Effect& e = *it->second;
    const int rate = frequency <= 0 ? e.rate : std::clamp(frequency, kMinFrequency, kMaxFrequency);
    e.step = static_cast<double>(rate) / d.rate;
    e.gainLeft = left;
    e.gainRight = right;
}

void SdlAudioDevice::startEffect(Handle effect) {
    Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    auto it = d.effects.find(effect);
    if (it != d.effects.end() && !it->second->playing) {
        it->second->position = 0.0;
        it->second->playing = true;
    }
}

void SdlAudioDevice::stopEffect(Handle effect) {
    Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    auto it = d.effects.find(effect);
    if (it != d.effects.end()) {
        it->second->playing = false;
    }
}

bool SdlAudioDevice::effectPlaying(Handle effect) const {
    const Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    auto it = d.effects.find(effect);
    return it != d.effects.end() && it->second->playing;
}

void SdlAudioDevice::releaseEffect(Handle effect) {
    Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    d.effects.erase(effect);
}

AudioDevice::Handle SdlAudioDevice::openPlayer(const std::filesystem::path& file) {
    Impl& d = *m_impl;
    if (!d.open) {
        return 0;
    }
    Mix_Chunk* chunk = Mix_LoadWAV(file.c_str());
    if (chunk == nullptr) {
        return 0;
    }
    if (d.phraseRate != 100) {
        // A phrase that cannot be stretched is still heard, at its own speed.
        StretchChunk(*chunk, d.rate, d.outChannels, d.phraseRate);
    }
    Player player;
    player.chunk = chunk;
    player.name = file.filename().string();
    const double bytesPerSecond = static_cast<double>(d.rate) * d.outChannels * sizeof(Sint16);
    player.length = chunk->alen / bytesPerSecond;
    const Handle handle = d.nextHandle++;
    d.players.emplace(handle, player);
    return handle;
}

bool SdlAudioDevice::startPlayer(Handle handle) {
    Impl& d = *m_impl;
    auto it = d.players.find(handle);
    if (it == d.players.end() || it->second.started) {
        return false;
    }
    const int channel = d.freeChannel();
    if (channel < 0) {
        return false;
    }
    Mix_Volume(channel, kSourceVolume);
    if (Mix_PlayChannel(channel, it->second.chunk, 0) < 0) {
        return false;
    }
    it->second.channel = channel;
    it->second.started = true;
    it->second.startMs = SDL_GetTicks64();
    if (TimingMarksOn()) {
        std::lock_guard lock(d.mutex);
        d.startedPlayers.push_back(it->second.name);
    }
    return true;
}

void SdlAudioDevice::stopPlayer(Handle handle) {
    Impl& d = *m_impl;
    auto it = d.players.find(handle);
    if (it != d.players.end() && it->second.started && !it->second.stopped) {
        Mix_HaltChannel(it->second.channel);
        it->second.stopped = true;
    }
}

bool SdlAudioDevice::playerFinished(Handle handle) const {
    const Impl& d = *m_impl;
    auto it = d.players.find(handle);
    if (it == d.players.end() || !it->second.started) {
        return false;
    }
    return it->second.stopped || Mix_Playing(it->second.channel) == 0;
}

double SdlAudioDevice::playerPosition(Handle handle) const {
    const Impl& d = *m_impl;
    auto it = d.players.find(handle);
    if (it == d.players.end() || !it->second.started) {
        return 0.0;
    }
    if (playerFinished(handle)) {
        return it->second.length;
    }
    const double elapsed = static_cast<double>(SDL_GetTicks64() - it->second.startMs) / 1000.0;
    return std::min(elapsed, it->second.length);
}

double SdlAudioDevice::playerStopTime(Handle handle) const {
    const Impl& d = *m_impl;
    auto it = d.players.find(handle);
    return it == d.players.end() ? 0.0 : it->second.length;
}

void SdlAudioDevice::releasePlayer(Handle handle) {
    Impl& d = *m_impl;
    auto it = d.players.find(handle);
    if (it == d.players.end()) {
        return;
    }
    if (it->second.started) {
        Mix_HaltChannel(it->second.channel);
    }
    Mix_FreeChunk(it->second.chunk);
    d.players.erase(it);
}

bool SdlAudioDevice::playMusic(const std::filesystem::path& file, bool loop) {
    Impl& d = *m_impl;
    stopMusic();
    if (!d.open || !MidiLooksSound(file)) {
        return false;
    }
    d.music = Mix_LoadMUS(file.c_str());
    if (d.music == nullptr) {
        return false;
    }
    Mix_VolumeMusic(d.musicVolume);
    if (Mix_PlayMusic(d.music, loop ? -1 : 1) < 0) {
        stopMusic();
        return false;
    }
    return true;
}

void SdlAudioDevice::stopMusic() {
    Impl& d = *m_impl;
    if (d.music != nullptr) {
        Mix_HaltMusic();
        Mix_FreeMusic(d.music);
        d.music = nullptr;
    }
}

bool SdlAudioDevice::musicPlaying() const {
    return m_impl->music != nullptr && Mix_PlayingMusic() != 0;
}

void SdlAudioDevice::setPhraseRate(int percent) {
    m_impl->phraseRate = std::clamp(percent, 25, 400);
}

void SdlAudioDevice::setMusicVolume(int hundredthsDb) {
    Impl& d = *m_impl;
    d.musicVolume = static_cast<int>(std::lround(kSourceVolume * Gain(std::min(hundredthsDb, 0))));
    if (d.open) {
        Mix_VolumeMusic(d.musicVolume);
    }
}

}  // namespace korvel
