#include "FakeAudioDevice.h"

namespace korvel::testing {

namespace {

constexpr int kFileRate = 22050;

std::string Stem(const std::filesystem::path& p) {
    return p.stem().string();
}

}  // namespace

std::vector<std::string> FakeAudioDevice::startedPhraseStems() const {
    std::vector<std::string> stems;
    for (const auto& p : m_startedPaths) {
        stems.push_back(Stem(p));
    }
    return stems;
}

bool FakeAudioDevice::open() {
    m_open = m_openResult;
    return m_open;
}

void FakeAudioDevice::close() {
    m_effects.clear();
    m_players.clear();
    m_musicOn = false;
    m_open = false;
}

AudioDevice::Handle FakeAudioDevice::loadEffect(const std::filesystem::path& wavFile) {
    if (!m_open || m_missingEffects.count(Stem(wavFile)) != 0) {
        return 0;
    }
    const Handle h = m_next++;
    m_effects[h].name = Stem(wavFile);
    return h;
}

void FakeAudioDevice::setEffectParams(Handle effect, int pan, int volume, int frequency) {
    auto it = m_effects.find(effect);
    if (it == m_effects.end()) {
        return;
    }
    it->second.pan = pan;
    it->second.volume = volume;
    it->second.frequency = frequency;
}

void FakeAudioDevice::startEffect(Handle effect) {
    auto it = m_effects.find(effect);
    if (it == m_effects.end()) {
        return;
    }
    Effect& e = it->second;
    const bool sounding = effectPlaying(effect);
    if (!sounding) {
        const int rate = e.frequency > 0 ? e.frequency : kFileRate;
        e.endsAt =
            m_clock.tickCount() + static_cast<std::int64_t>(m_effectDuration) * kFileRate / rate;
    }
    m_effectPlays.push_back({e.name, e.pan, e.volume, e.frequency, !sounding, m_clock.tickCount()});
}

void FakeAudioDevice::stopEffect(Handle effect) {
    auto it = m_effects.find(effect);
    if (it != m_effects.end()) {
        it->second.endsAt = -1;
    }
}

bool FakeAudioDevice::effectPlaying(Handle effect) const {
    auto it = m_effects.find(effect);
    return it != m_effects.end() && it->second.endsAt > m_clock.tickCount();
}

void FakeAudioDevice::releaseEffect(Handle effect) {
    m_effects.erase(effect);
}

AudioDevice::Handle FakeAudioDevice::openPlayer(const std::filesystem::path& file) {
    m_opened.push_back(file.string());
    const std::string stem = Stem(file);
    if (!m_open || m_unplayable.count(stem) != 0) {
        return 0;
    }
    const Handle h = m_next++;
    auto d = m_durations.find(stem);
    const int ms = d == m_durations.end() ? m_defaultDuration : d->second;
    m_players[h] = Player{file.string(), ms * 100 / m_rate};
    return h;
}

bool FakeAudioDevice::startPlayer(Handle player) {
    auto it = m_players.find(player);
    if (it == m_players.end() || it->second.startedAt >= 0) {
        return false;
    }
    it->second.startedAt = m_clock.tickCount();
    m_startedPaths.push_back(it->second.path);
    m_starts.push_back(it->second.startedAt);
    return true;
}

void FakeAudioDevice::stopPlayer(Handle player) {
    auto it = m_players.find(player);
    if (it != m_players.end()) {
        it->second.stopped = true;
    }
}

bool FakeAudioDevice::playerFinished(Handle player) const {
    auto it = m_players.find(player);
    if (it == m_players.end() || it->second.startedAt < 0) {
        return false;
    }
    return it->second.stopped ||
           m_clock.tickCount() >= it->second.startedAt + it->second.durationMs;
}

double FakeAudioDevice::playerPosition(Handle player) const {
    auto it = m_players.find(player);
    if (it == m_players.end() || it->second.startedAt < 0) {
        return 0.0;
    }
    if (playerFinished(player)) {
        return it->second.durationMs / 1000.0;
    }
    return static_cast<double>(m_clock.tickCount() - it->second.startedAt) / 1000.0;
}

double FakeAudioDevice::playerStopTime(Handle player) const {
    auto it = m_players.find(player);
    return it == m_players.end() ? 0.0 : it->second.durationMs / 1000.0;
}

void FakeAudioDevice::releasePlayer(Handle player) {
    m_players.erase(player);
}

bool FakeAudioDevice::playMusic(const std::filesystem::path& file, bool loop) {
    m_music.push_back(file.string());
    m_musicOn = m_open && m_unplayable.count(Stem(file)) == 0;
    m_musicLoop = m_musicOn && loop;
    return m_musicOn;
}

void FakeAudioDevice::stopMusic() {
    m_musicOn = false;
}

}  // namespace korvel::testing
