#include "FakeAudioDevice.h"

#include <cstdio>

namespace korvel::testing {

namespace {

constexpr int kFileRate = 22050;
constexpr int kEffectMs = 100;

std::string Stem(const std::filesystem::path& p) {
    return p.stem().string();
}

}  // namespace

std::string Stamp(std::int64_t ms) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8.3f", static_cast<double>(ms) / 1000.0);
    return stamp;
}

void TranscriptDevice::write(const std::string& what) {
    m_lines.push_back(Stamp(m_clock.tickCount()) + " " + what);
}

void TranscriptDevice::close() {
    m_effects.clear();
    m_players.clear();
    m_musicOn = false;
    m_open = false;
}

AudioDevice::Handle TranscriptDevice::loadEffect(const std::filesystem::path& wavFile) {
    if ((playable && !playable(wavFile)) || !m_open || m_missingEffects.count(Stem(wavFile))) {
        return 0;
    }
    m_effects[m_next] = 0;
    m_names[m_next] = Stem(wavFile);
    return m_next++;
}

void TranscriptDevice::setEffectParams(Handle effect, int pan, int volume, int frequency) {
    if (m_effects.count(effect) != 0) {
        m_effects[effect] = frequency;
    }
    m_params[effect] = " pan=" + std::to_string(pan) + " vol=" + std::to_string(volume) +
                       " freq=" + std::to_string(frequency);
}

void TranscriptDevice::startEffect(Handle effect) {
    if (m_effects.count(effect) != 0 && !effectPlaying(effect)) {
        const int rate = m_effects[effect] > 0 ? m_effects[effect] : kFileRate;
        m_endsAt[effect] = m_clock.tickCount() + std::int64_t{kEffectMs} * kFileRate / rate;
    }
    if (m_names[effect] != "tiktak") {
        write("fx " + m_names[effect] + m_params[effect]);
    }
}

void TranscriptDevice::stopEffect(Handle effect) {
    m_endsAt.erase(effect);
}

bool TranscriptDevice::effectPlaying(Handle effect) const {
    const auto end = m_endsAt.find(effect);
    return m_effects.count(effect) != 0 && end != m_endsAt.end() &&
           end->second > m_clock.tickCount();
}

AudioDevice::Handle TranscriptDevice::openPlayer(const std::filesystem::path& file) {
    if (playable && !playable(file)) {
        return 0;
    }
    m_lastOpened = Stem(file);
    if (!m_open || m_unplayable.count(m_lastOpened) != 0) {
        return 0;
    }
    const auto d = m_durations.find(m_lastOpened);
    m_players[m_next] =
        Player{m_lastOpened, (d == m_durations.end() ? 500 : d->second) * 100 / m_rate};
    return m_next++;
}

bool TranscriptDevice::startPlayer(Handle player) {
    const auto it = m_players.find(player);
    const bool starts = it != m_players.end() && it->second.startedAt < 0;
    if (starts) {
        it->second.startedAt = m_clock.tickCount();
        m_started.push_back(it->second.stem);
    }
    if (!m_lastOpened.empty()) {
        write("say " + m_lastOpened);
    }
    return starts;
}

void TranscriptDevice::stopPlayer(Handle player) {
    if (const auto it = m_players.find(player); it != m_players.end()) {
        it->second.stopped = true;
    }
}

const TranscriptDevice::Player* TranscriptDevice::started(Handle player) const {
    const auto it = m_players.find(player);
    return it == m_players.end() || it->second.startedAt < 0 ? nullptr : &it->second;
}

bool TranscriptDevice::playerFinished(Handle player) const {
    const Player* p = started(player);
    return p && (p->stopped || m_clock.tickCount() >= p->startedAt + p->durationMs);
}

double TranscriptDevice::playerPosition(Handle player) const {
    const Player* p = started(player);
    return !p ? 0.0
           : playerFinished(player)
               ? p->durationMs / 1000.0
               : static_cast<double>(m_clock.tickCount() - p->startedAt) / 1000.0;
}

double TranscriptDevice::playerStopTime(Handle player) const {
    const auto it = m_players.find(player);
    return it == m_players.end() ? 0.0 : it->second.durationMs / 1000.0;
}

bool TranscriptDevice::playMusic(const std::filesystem::path& file, bool loop) {
    if (playable && !playable(file)) {
        write("music " + file.filename().string() + " cannot be played");
        return m_musicOn = false;
    }
    write("music " + file.filename().string() + (loop ? " looping" : ""));
    return m_musicOn = m_open && m_unplayable.count(Stem(file)) == 0;
}

void TranscriptDevice::stopMusic() {
    if (m_musicOn) {
        write("music stops");
    }
    m_musicOn = false;
}

void TranscriptDevice::setMusicVolume(int hundredthsDb) {
    if (hundredthsDb != m_musicVolume) {
        write("music volume " + std::to_string(hundredthsDb));
    }
    m_musicVolume = hundredthsDb;
}

}  // namespace korvel::testing
