#include "game/MoveClock.h"

#include <string>

#include "game/Game.h"
#include "game/GameView.h"
#include "game/Position.h"

namespace korvel {
namespace {

// Which cue a timed clock plays with `t` seconds left, or -1 for none.
int CueAt(int t) {
    if (t % 60 == 0 && t >= 60 && t <= 600) {
        return 1;
    }
    if (t % 60 == 30 && t <= 570) {
        return 2;
    }
    if (t % 30 == 15 && t <= 585) {
        return 3;
    }
    if (t >= 2 && t <= 6) {
        return 2;
    }
    return t == 1 ? 0 : -1;
}

}  // namespace

MoveClock::MoveClock(Clock& clock, GameView& view, const GameSetup& setup, const Position& position)
    : m_clock(clock), m_view(view), m_setup(setup), m_position(position) {}

void MoveClock::loadEffects(const std::filesystem::path& programFolder) {
    for (int i = 0; i < 4; ++i) {
        LoadEffect(m_cues[i], programFolder, "pik" + std::to_string(i));
    }
    LoadEffect(m_tickTock, programFolder, "tiktak");
}

void MoveClock::releaseEffects() {
    for (EffectBuffer& cue : m_cues) {
        ReleaseEffect(cue);
    }
    ReleaseEffect(m_tickTock);
}

void MoveClock::start() {
    if (m_timer == 0) {
        m_timer = m_clock.startTimer(GamePauses::kTick, [this] { tick(); });
    }
}

void MoveClock::stop() {
    if (m_timer != 0) {
        m_clock.stopTimer(m_timer);
        m_timer = 0;
    }
}

void MoveClock::reset() {
    if (m_setup.gameType % 2 == 0) {
        m_secondsLeft = m_setup.secondsPerMove;
    }
}

void MoveClock::tick() {
    if (m_held) {
        return;
    }
    const bool firstFrame = m_frame2;
    std::int32_t pan = m_position.cursorCol() * 100 - 450;
    std::int32_t volume = -1000;
    std::int32_t frequency = firstFrame ? 28800 : 22050;
    PlayEffect(m_tickTock, pan, volume, frequency);
    m_frame2 = !m_frame2;
    m_view.cursorFramesShown(firstFrame, m_frame2);
    m_view.turnMarkBlinked();
    if (m_setup.gameType % 2 == 1) {
        return;
    }
    if (m_turnStart >= 0) {
        const std::int64_t left =
            std::int64_t{m_setup.secondsPerMove} * 1000 - (m_clock.tickCount() - m_turnStart);
        m_secondsLeft = left <= 0 ? 0 : static_cast<int>(left / 1000) + 1;
    }
    if (m_secondsLeft == 0) {
        if (timeUp) {
            timeUp();
        }
        return;
    }
    if (const int cue = CueAt(m_secondsLeft); cue >= 0) {
        pan = m_position.mover() * 1000 - 1500;
        volume = -800;
        frequency = 22050;
        PlayEffect(m_cues[cue], pan, volume, frequency);
    }
    --m_secondsLeft;
    m_view.secondsLeftShown(m_position.mover(), m_secondsLeft);
}

}  // namespace korvel
