#pragma once

namespace platform {

// The largest value Rand() returns.
constexpr int kRandMax = 32767;

// The classic 15-bit linear congruential generator every random choice of
// the game draws from. Its sequence is fixed for a given seed, so game
// formulas that depend on random numbers can be tested exactly.
int Rand();
void SeedRand(unsigned int seed);

} // namespace platform
