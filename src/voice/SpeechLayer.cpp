#include "voice/SpeechLayer.h"

#include <array>
#include <string_view>

#include "core/IniFile.h"
#include "core/TextCodec.h"

namespace korvel {
namespace {

// The Russian sounds of the Latin letters a..z.
constexpr std::array<std::string_view, 26> kLatinSounds = {
    "а", "б", "к", "д",  "е", "ф", "г", "х", "и", "дж", "к",  "л",  "м",
    "н", "о", "п", "кю", "р", "с", "т", "у", "в", "въ", "кс", "ай", "з"};

// Lower case of the Latin and Cyrillic capitals; other characters stay.
char32_t Lower(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= U'А' && c <= U'Я')) {
        return c + 0x20;
    }
    return c >= U'Ѐ' && c <= U'Џ' ? c + 0x50 : c;
}

}  // namespace

bool IsRussianLocale(const std::string& locale) {
    return locale.rfind("ru", 0) == 0 &&
           (locale.size() == 2 || locale[2] == '_' || locale[2] == '-');
}

SpeechLayer::SpeechLayer(SpeechEngine& engine, Settings& settings)
    : m_engine(engine), m_settings(settings) {}

void SpeechLayer::Bind() {
    m_bound = true;
    m_engine.revive();
}

void SpeechLayer::Unbind() {
    if (m_bound) {
        m_engine.stop();
    }
    m_bound = false;
}

std::int16_t SpeechLayer::FindRussianEngine() {
    m_modeNames.clear();
    m_locales.clear();
    m_current = 0;
    if (m_bound) {
        for (const SpeechVoice& voice : m_engine.voices()) {
            m_modeNames.push_back(voice.name);
            m_locales.push_back(voice.locale);
        }
    }
    m_params.assign(m_modeNames.size() + 1, VoiceRow{});
    for (std::size_t i = 0; i < m_locales.size(); ++i) {
        if (IsRussianLocale(m_locales[i])) {
            UseEngine(static_cast<std::int16_t>(i + 1));
            return m_current;
        }
    }
    return 0;
}

void SpeechLayer::UseEngine(std::int16_t n) {
    if (n >= 1 && n <= EngineCount()) {
        m_current = n;
        LoadVoice();
    }
}

void SpeechLayer::LoadVoice() {
    VoiceRow& row = current();
    row.loaded = true;
    row.MinSpeed = SpeechEngine::kMinSpeed;
    row.MaxSpeed = SpeechEngine::kMaxSpeed;
    row.MinPitch = SpeechEngine::kMinPitch;
    row.MaxPitch = SpeechEngine::kMaxPitch;
    row.speed = m_settings.GetNumber("Dictor", "speed");
    if (row.speed == 0) {
        row.speed = (row.MinSpeed + row.MaxSpeed) / 2;
        m_settings.SetNumber("Dictor", "speed", row.speed);
        row.pitch = (row.MinPitch + row.MaxPitch) / 10;
        m_settings.SetNumber("Dictor", "pitch", row.pitch);
    } else {
        row.pitch = m_settings.GetNumber("Dictor", "pitch");
    }
    ApplyVoice();
}

void SpeechLayer::ApplyVoice() {
    if (!m_bound || m_current == 0) {
        return;
    }
    m_engine.select(m_current - 1);
    m_engine.setSpeed(current().speed);
    m_engine.setPitch(current().pitch);
}

void SpeechLayer::SpeakVoice(const std::string& text) {
    ApplyVoice();
    SpeakPlain(text);
}

void SpeechLayer::SpeakPlain(const std::string& text) {
    if (m_bound && m_current != 0) {
        m_engine.say(text);
    }
}

void SpeechLayer::SpeakLine(const std::string& text) {
    SpeakVoice(std::string(8, ' '));
    std::string buffer;
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Char read = DecodeUtf8(text, at);
        at += read.length;
        // A byte that starts no character is read as the replacement sign.
        const char32_t c = read.valid ? Lower(read.code) : U'\uFFFD';
        if (c == U'\r') {
            SpeakPlain(buffer);
            buffer.clear();
        } else if (c >= U'a' && c <= U'z') {
            buffer += kLatinSounds[c - U'a'];
        } else if (c == U'@') {
            buffer += " собака ";
        } else {
            AppendUtf8(buffer, c);
        }
    }
}

}  // namespace korvel
