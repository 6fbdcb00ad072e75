#pragma once

#include <cstdint>
#include <functional>
#include <random>

// The random source of the exercise draw. Re-seeding mixes into the
// generator's state; it never restarts a sequence, so re-seeding twice with
// the same number does not repeat what followed the first time.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A fresh uniform number in [0, 1).
    virtual double draw() = 0;
    // Mixes the system clock into the state.
    virtual void reseedFromClock() = 0;
    // Mixes n into the state.
    virtual void reseed(std::int64_t n) = 0;
};

// The program's source: a 64-bit Mersenne Twister whose state is re-derived
// from its own next output and the mixed-in value at each re-seed.
class MixingRandomSource final : public RandomSource
{
public:
    using Clock = std::function<std::uint64_t()>;
    // clock: the time read by reseedFromClock (nanoseconds of the steady
    // clock unless a test gives its own).
    explicit MixingRandomSource(std::uint64_t initialSeed = 0, Clock clock = {});

    double draw() override;
    void reseedFromClock() override;
    void reseed(std::int64_t n) override;

private:
    void mix(std::uint64_t value);

    std::mt19937_64 m_engine;
    Clock m_clock;
};
