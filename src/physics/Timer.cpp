#include "physics/Timer.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

std::int64_t PhTimer::ReadTicks()
{
    return static_cast<std::int64_t>(Clock::now().time_since_epoch().count());
}

std::int64_t PhTimer::GetFrequency()
{
    return static_cast<std::int64_t>(Clock::period::den / Clock::period::num);
}

void PhTimer::Calibrate()
{
    std::int64_t best = 200;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const std::int64_t start = ReadTicks();
        const std::int64_t cost = ReadTicks() - start;
        if (cost >= 0 && cost < best)
            best = cost;
    }
    m_readCost = best;

    std::uint32_t high = static_cast<std::uint32_t>(static_cast<std::uint64_t>(GetFrequency()) >> 32);
    int bits = 0;
    while (high) {
        ++bits;
        high >>= 1;
    }
    m_frequencyHighBits = bits;
}
