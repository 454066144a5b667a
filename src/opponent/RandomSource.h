#pragma once

#include <cstdint>
#include <random>

namespace korvel {

// A source of random fractions for the opponent. The program passes its one
// generator, seeded at start-up; tests pass a seeded one so that every draw
// is repeatable.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    // A fraction uniform in [0, 1).
    virtual double next() = 0;
};

// RandomSource over a Mersenne twister. Each draw consumes exactly one 32-bit
// output, so two sources with the same seed give the same fractions on every
// platform.
class SeededRandom : public RandomSource {
  public:
    explicit SeededRandom(std::uint32_t seed) : m_engine(seed) {}
    double next() override;

  private:
    std::mt19937 m_engine;
};

}  // namespace korvel
