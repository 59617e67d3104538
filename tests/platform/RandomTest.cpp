#include "platform/Random.h"

#include <gtest/gtest.h>

TEST(Random, SeedOneGivesTheClassicSequence)
{
    platform::SeedRand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(platform::Rand(), value);
}

TEST(Random, ReseedingRepeatsTheSequenceAndStaysIn15Bits)
{
    platform::SeedRand(12345);
    int first[100];
    for (int& v : first) {
        v = platform::Rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, platform::kRandMax);
    }
    platform::SeedRand(12345);
    for (int v : first)
        EXPECT_EQ(platform::Rand(), v);
}
