#include "game/BoardSounds.h"

#include <string>

namespace korvel {

void BoardSounds::loadEffects(const std::filesystem::path& programFolder) {
    LoadEffect(m_border, programFolder, "border");
    LoadEffect(m_cursor, programFolder, "cursor");
    LoadEffect(m_error, programFolder, "error");
    for (int i = 0; i < 3; ++i) {
        LoadEffect(m_disc[i], programFolder, "fishka" + std::to_string(i));
    }
    LoadEffect(m_ok, programFolder, "ok");
}

void BoardSounds::releaseEffects() {
    for (EffectBuffer* effect :
         {&m_border, &m_cursor, &m_error, &m_ok, &m_disc[0], &m_disc[1], &m_disc[2]}) {
        ReleaseEffect(*effect);
    }
}

void BoardSounds::disc(int code, int col, int row) const {
    atCell(m_disc[code], col, row, -500, 20000, 500);
}

void BoardSounds::cursor(int col, int row) const {
    atCell(m_cursor, col, row, -500, 16000, 2000);
}

void BoardSounds::border(int col, int row) const {
    atCell(m_border, col, row, 0, 20000, 500);
}

void BoardSounds::refused(int col, int row) const {
    atCell(m_error, col, row, -500, 16000, 2000);
}

void BoardSounds::ok() const {
    std::int32_t pan = 0;
    std::int32_t volume = 0;
    std::int32_t frequency = 22050;
    PlayEffect(m_ok, pan, volume, frequency);
}

void BoardSounds::atCell(const EffectBuffer& effect, int col, int row, int volume, int freqBase,
                         int freqStep) {
    std::int32_t pan = col * 100 - 450;
    std::int32_t vol = volume;
    std::int32_t freq = row * freqStep + freqBase;
    PlayEffect(effect, pan, vol, freq);
}

}  // namespace korvel
