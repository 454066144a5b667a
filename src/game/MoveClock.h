#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "core/Clock.h"
#include "voice/SoundEffects.h"

namespace korvel {

class GameView;
class Position;
struct GameSetup;

// The move clock: a tick every second while a player may move. Each tick
// blinks the cursor with a tick-tock at its column; in a timed game (an even
// game type) it counts the mover's seconds down, with cues at the full and
// half minutes and in the last seconds, and at zero calls `timeUp`. It reads
// the game's setup, cursor column and mover, which the game owns and outlives
// it with.
class MoveClock {
  public:
    MoveClock(Clock& clock, GameView& view, const GameSetup& setup, const Position& position);
    ~MoveClock() { stop(); }
    MoveClock(const MoveClock&) = delete;
    MoveClock& operator=(const MoveClock&) = delete;

    void loadEffects(const std::filesystem::path& programFolder);
    void releaseEffects();

    void start();
    void stop();
    bool running() const { return m_timer != 0; }
    // A new turn's time: the full time per move in a timed game.
    void reset();
    int secondsLeft() const { return m_secondsLeft; }
    void setSecondsLeft(int seconds) { m_secondsLeft = seconds; }
    // While held, the ticks neither blink nor count: a turn lost to the clock is being handed over.
    void hold(bool held) { m_held = held; }
    // A network game's turn began at `ms` (the clock's tickCount): from then
    // on the seconds left are read from that moment, whatever stopped the
    // ticks meanwhile, and the time is up at the first tick once they are
    // spent. Local games never set it.
    void setTurnStart(std::int64_t ms) { m_turnStart = ms; }

    std::function<void()> timeUp;

  private:
    void tick();

    Clock& m_clock;
    GameView& m_view;
    const GameSetup& m_setup;
    const Position& m_position;
    Clock::TimerId m_timer = 0;
    int m_secondsLeft = 0;
    bool m_frame2 = false;  // the cursor's second frame is shown
    bool m_held = false;
    std::int64_t m_turnStart = -1;
    std::array<EffectBuffer, 4> m_cues;
    EffectBuffer m_tickTock;
};

}  // namespace korvel
