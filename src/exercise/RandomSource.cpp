#include "exercise/RandomSource.h"

#include <chrono>
#include <utility>

namespace {

// splitmix64 finaliser: spreads every input bit over the whole word, so that
// small re-seed numbers (0..5) and nearby clock readings give unrelated seeds.
std::uint64_t splitmix64(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27U)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31U);
}

std::uint64_t steadyNanoseconds()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

} // namespace

MixingRandomSource::MixingRandomSource(std::uint64_t initialSeed, Clock clock)
    : m_engine(splitmix64(initialSeed)), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = steadyNanoseconds;
}

double MixingRandomSource::draw()
{
    // The top 53 bits fill a double's mantissa exactly: the result is a
    // multiple of 2^-53 in [0, 1) and can never round up to 1.
    return static_cast<double>(m_engine() >> 11U) * 0x1.0p-53;
}

void MixingRandomSource::reseedFromClock()
{
    mix(m_clock());
}

void MixingRandomSource::reseed(std::int64_t n)
{
    mix(static_cast<std::uint64_t>(n));
}

void MixingRandomSource::mix(std::uint64_t value)
{
    // The engine's own next output carries the history into the new seed, so
    // the same value mixed in twice leads to different sequences.
    const std::uint64_t carried = m_engine();
    m_engine.seed(splitmix64(carried ^ splitmix64(value)));
}
