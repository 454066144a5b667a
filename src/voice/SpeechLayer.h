#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "voice/SpeechEngine.h"

namespace korvel {

class Settings;

// The speech synthesizer layer of the help window over a SpeechEngine: finds a
// Russian voice, keeps its speed and pitch ([Dictor] of the settings file, one
// pair for every voice) and speaks text, spelling Latin letters in Russian.
//
// Voices are numbered 1..EngineCount as the engine lists them; row 0 of the
// voice parameters belongs to no voice and stays zero. The layer is bound to
// the engine only while the help window is active (Bind/Unbind); unbound, or
// with no voice chosen, every operation does nothing. Engine and settings are
// borrowed from the program's assembly and outlive the layer.
class SpeechLayer {
  public:
    // One row of the voice parameters: the voice's limits, the speed and
    // pitch in use, and whether the row has been loaded.
    struct VoiceRow {
        int MinSpeed = 0, MaxSpeed = 0, MinPitch = 0, MaxPitch = 0;
        int speed = 0, pitch = 0;
        bool loaded = false;
    };

    SpeechLayer(SpeechEngine& engine, Settings& settings);

    // Takes the reference to the engine (reviving a service that went away);
    // Unbind drops it and cuts speech short.
    void Bind();
    void Unbind();
    bool bound() const { return m_bound; }
    // The engine's service is still being reached.
    bool connecting() const { return m_engine.connecting(); }

    // Lists the voices and chooses the first Russian one (loading its voice);
    // returns its number, 0 when there is none.
    std::int16_t FindRussianEngine();
    // Chooses voice `n` and loads its voice.
    void UseEngine(std::int16_t n);
    void LoadVoice();
    void ApplyVoice();
    void SpeakVoice(const std::string& text);
    void SpeakPlain(const std::string& text);
    // Reads `text` lower-cased and transliterated, a line at each CR; what
    // follows the last CR is not spoken.
    void SpeakLine(const std::string& text);

    std::int16_t EngineCount() const { return static_cast<std::int16_t>(m_modeNames.size()); }
    // The name of voice n, 1..EngineCount.
    const std::string& ModeName(int n) const { return m_modeNames.at(n - 1); }
    std::int16_t CurrentEngine() const { return m_current; }
    Settings& settings() { return m_settings; }
    // The row of the current voice (row 0 when none is chosen).
    VoiceRow& current() { return m_params.at(m_current); }

  private:
    SpeechEngine& m_engine;
    Settings& m_settings;
    bool m_bound = false;
    std::vector<std::string> m_modeNames;
    std::vector<std::string> m_locales;
    std::vector<VoiceRow> m_params{1};
    std::int16_t m_current = 0;
};

// True for a locale of the Russian language ("ru", "ru_RU", "ru-RU").
bool IsRussianLocale(const std::string& locale);

}  // namespace korvel
