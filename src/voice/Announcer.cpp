#include "voice/Announcer.h"

#include <algorithm>
#include <filesystem>

namespace korvel {

namespace {

constexpr std::string_view kSection = "Music";
constexpr std::string_view kKey = "play";
constexpr std::string_view kRateKey = "rate";
constexpr std::string_view kVolumeKey = "volume";

// `value` rounded to the nearest multiple of `step` (halves away from zero),
// then kept within low..high.
int NearestStep(int value, int step, int low, int high) {
    const int half = step / 2;
    const int rounded =
        value >= 0 ? (value + half) / step * step : -((-value + half) / step * step);
    return std::clamp(rounded, low, high);
}

// Whether a stored value is a plain decimal number (sign, digits, optional
// fraction, surrounding blanks allowed).
bool IsNumber(std::string_view value) {
    std::size_t i = 0;
    auto blank = [&](std::size_t k) { return value[k] == ' ' || value[k] == '\t'; };
    while (i < value.size() && blank(i)) {
        ++i;
    }
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        ++i;
    }
    bool digits = false;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
        digits = true;
        ++i;
    }
    if (i < value.size() && value[i] == '.') {
        ++i;
        while (i < value.size() && value[i] >= '0' && value[i] <= '9') {
            digits = true;
            ++i;
        }
    }
    while (i < value.size() && blank(i)) {
        ++i;
    }
    return digits && i == value.size();
}

std::vector<std::string> NumberWordsMasculine(std::int32_t n) {
    std::vector<std::string> words;
    if (n < 0) {
        return words;
    }
    std::string t = std::to_string(n);
    auto rest = [&](std::size_t keep) {
        t = t.substr(t.size() - keep);
        n = std::stoi(t);
    };
    if (t.size() == 4) {
        switch (t[0]) {
            case '1':
                words = {"51", "31"};
                break;
            case '2':
                words = {"52", "32"};
                break;
            case '3':
            case '4':
                words = {std::string(1, t[0]), "32"};
                break;
            default:
                words = {std::string(1, t[0]), "33"};
                break;
        }
        if (n % 1000 == 0) {
            return words;
        }
        rest(3);
    }
    if (t.size() == 3) {
        const int h = t[0] - '0';
        if (h >= 1) {
            words.push_back(std::to_string(20 + h));
        }
        if (n % 100 == 0) {
            return words;
        }
        rest(2);
    }
    if (t.size() == 2) {
        if (n <= 19) {
            words.push_back(std::to_string(n));
            return words;
        }
        words.push_back(std::to_string(10 * (t[0] - '0')));
        if (n % 10 == 0) {
            return words;
        }
        rest(1);
    }
    if (t.size() == 1) {
        words.push_back(std::to_string(n));
    }
    return words;
}

}  // namespace

std::vector<std::string> NumberWords(std::int32_t n, Gender gender) {
    std::vector<std::string> words = NumberWordsMasculine(n);
    if (gender == Gender::Feminine && !words.empty()) {
        // "одна" and "две" are the thousands' words; the last word takes them too.
        if (words.back() == "1") {
            words.back() = "51";
        } else if (words.back() == "2") {
            words.back() = "52";
        }
    }
    return words;
}

Announcer::Announcer(Clock& clock, Settings& settings, AudioDevice& device)
    : m_clock(clock), m_settings(settings), m_device(device) {}

Announcer::~Announcer() {
    stopTick();
    stopCurrent();
    StopSound();
    StopMusic();
}

bool Announcer::Init(std::int32_t intervalMs) {
    m_interval = intervalMs > 0 ? intervalMs : 1;
    makeIdle();
    const std::string stored = m_settings.GetIni(kSection, kKey);
    const std::int16_t value = IsNumber(stored) ? IniNumber(stored) : std::int16_t{0};
    // The switch is written back even when the file cannot be written: the
    // announcer then runs on with the value in memory.
    setMuted(value);
    // Speed and music level are only written when the player changes them.
    const int rate = m_settings.GetNumber(kSection, kRateKey);
    applyRate(rate == 0 ? 100 : rate);
    applyMusicVolume(m_settings.GetNumber(kSection, kVolumeKey));
    return true;
}

void Announcer::setPhraseFolder(std::string_view folder, std::string_view extension) {
    m_folder = std::string(folder);
    constexpr char kSeparator = std::filesystem::path::preferred_separator;
    if (m_folder.empty() || m_folder.back() != kSeparator) {
        m_folder.push_back(kSeparator);
    }
    if (m_extension.empty()) {
        m_extension = std::string(extension);
    }
}

void Announcer::setExtension(std::string_view value) {
    m_extension = std::string(value);
    if (!m_extension.empty() && m_extension.front() != '.') {
        m_extension.insert(m_extension.begin(), '.');
    }
}

bool Announcer::AddFile(std::string_view name) {
    if (m_muted != 0) {
        return false;
    }
    std::string path =
        m_folder.empty() ? std::string(name) : m_folder + std::string(name) + m_extension;
    if (m_nextSlot > kQueueSlots) {
        return false;
    }
    m_queue[static_cast<std::size_t>(m_nextSlot - 1)] = std::move(path);
    if (m_nextSlot == 1) {
        m_currentSlot = 1;
        playCurrent();
        startTick();
    }
    ++m_nextSlot;
    return true;
}

void Announcer::Number(std::int32_t number, Gender gender) {
    if (m_muted != 0 || m_folder.empty()) {
        return;
    }
    for (const auto& word : NumberWords(number, gender)) {
        AddFile(word);
    }
}

void Announcer::Clear() {
    makeIdle();
}

float Announcer::Position() const {
    return m_phrasePlayer ? static_cast<float>(m_device.playerPosition(m_phrasePlayer)) : 0.0f;
}

bool Announcer::PlaySound(std::string_view File, bool MusicStat) {
    if (m_muted != 0 && MusicStat) {
        return false;
    }
    const std::string path = (!m_folder.empty() && MusicStat)
                                 ? m_folder + std::string(File) + m_extension
                                 : std::string(File);
    StopSound();
    m_soundPlayer = m_device.openPlayer(path);
    if (m_soundPlayer == 0 || !m_device.startPlayer(m_soundPlayer)) {
        StopSound();
        return false;
    }
    return true;
}

bool Announcer::SoundPlaying() const {
    return m_soundPlayer != 0 && !m_device.playerFinished(m_soundPlayer);
}

void Announcer::StopSound() {
    if (m_soundPlayer != 0) {
        m_device.stopPlayer(m_soundPlayer);
        m_device.releasePlayer(m_soundPlayer);
        m_soundPlayer = 0;
    }
}

bool Announcer::PlayMusic(std::string_view File, bool PlayMusicStat) {
    m_loop = PlayMusicStat;
    StopMusic();
    if (!m_device.playMusic(std::filesystem::path(std::string(File)), m_loop)) {
        StopMusic();
        return false;
    }
    return true;
}

void Announcer::StopMusic() {
    m_device.stopMusic();
}

void Announcer::setMuted(std::int16_t value) {
    m_muted = value;
    m_settings.SetNumber(kSection, kKey, value);
}

void Announcer::setRate(int percent) {
    applyRate(percent);
    m_settings.SetNumber(kSection, kRateKey, m_rate);
}

void Announcer::applyRate(int percent) {
    m_rate = NearestStep(percent, kRateStep, kRateMin, kRateMax);
    m_device.setPhraseRate(m_rate);
}

void Announcer::setMusicVolume(int db) {
    applyMusicVolume(db);
    m_settings.SetNumber(kSection, kVolumeKey, m_musicVolume);
}

void Announcer::applyMusicVolume(int db) {
    m_musicVolume = NearestStep(db, kVolumeStep, kVolumeSilent, 0);
    m_device.setMusicVolume(m_musicVolume == kVolumeSilent ? -10000 : m_musicVolume * 100);
}

// One tick of the queue: when the current phrase has ended (or never started
// because its file could not be played), the next one starts, or the queue
// becomes idle after the last.
void Announcer::tick() {
    if (m_phrasePlayer != 0 && !m_device.playerFinished(m_phrasePlayer)) {
        return;
    }
    stopCurrent();
    if (m_currentSlot >= m_nextSlot - 1) {
        stopTick();
        m_nextSlot = 1;
        m_currentSlot = 1;
        return;
    }
    ++m_currentSlot;
    playCurrent();
}

void Announcer::playCurrent() {
    stopCurrent();
    const std::string& path = m_queue[static_cast<std::size_t>(m_currentSlot - 1)];
    m_phrasePlayer = m_device.openPlayer(path);
    if (m_phrasePlayer != 0 && !m_device.startPlayer(m_phrasePlayer)) {
        stopCurrent();
    }
}

void Announcer::stopCurrent() {
    if (m_phrasePlayer != 0) {
        m_device.stopPlayer(m_phrasePlayer);
        m_device.releasePlayer(m_phrasePlayer);
        m_phrasePlayer = 0;
    }
}

void Announcer::startTick() {
    if (m_timer == 0) {
        m_timer = m_clock.startTimer(m_interval, [this] { tick(); });
    }
}

void Announcer::stopTick() {
    if (m_timer != 0) {
        m_clock.stopTimer(m_timer);
        m_timer = 0;
    }
}

void Announcer::makeIdle() {
    stopTick();
    stopCurrent();
    m_nextSlot = 1;
    m_currentSlot = 1;
}

}  // namespace korvel
