#include "platform/Random.h"

#include <cstdint>

namespace platform {
namespace {
std::uint32_t g_randState = 1;
}

int Rand()
{
    g_randState = g_randState * 214013u + 2531011u;
    return static_cast<int>((g_randState >> 16) & 0x7FFFu);
}

void SeedRand(unsigned int seed) { g_randState = seed; }

} // namespace platform
