#include "core/Scramble.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Random.h"

TEST(Scramble, UnscrambleRestoresAnyBuffer)
{
    platform::SeedRand(7);
    std::vector<std::uint8_t> original(3 * kScrambleKeySize + 17);
    for (std::uint8_t& b : original)
        b = static_cast<std::uint8_t>(platform::Rand());
    std::vector<std::uint8_t> buffer = original;
    ScrambleBuffer(buffer.data(), buffer.size());
    EXPECT_NE(buffer, original);
    UnscrambleBuffer(buffer.data(), buffer.size());
    EXPECT_EQ(buffer, original);
}

// Scrambling zeros lays the key bare: printable bytes, a zero at the end of
// each period, and the same bytes again after 1933.
TEST(Scramble, KeyIsPrintableEndsInZeroAndWrapsAt1933)
{
    std::vector<std::uint8_t> key(2 * kScrambleKeySize + 5, 0);
    ScrambleBuffer(key.data(), key.size());
    for (std::size_t i = 0; i + 1 < kScrambleKeySize; ++i) {
        ASSERT_GE(key[i], 0x20) << i;
        ASSERT_LE(key[i], 0x7E) << i;
    }
    EXPECT_EQ(key[1932], 0);
    EXPECT_EQ(key[2 * 1933 - 1], 0);
    for (std::size_t i = kScrambleKeySize; i < key.size(); ++i)
        ASSERT_EQ(key[i], key[i - kScrambleKeySize]) << i;

    // The shift is byte-wise addition modulo 256, whatever the neighbours.
    platform::SeedRand(5);
    std::vector<std::uint8_t> data(key.size());
    for (std::uint8_t& b : data)
        b = static_cast<std::uint8_t>(platform::Rand() >> 3);
    std::vector<std::uint8_t> scrambled = data;
    ScrambleBuffer(scrambled.data(), scrambled.size());
    for (std::size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(scrambled[i], static_cast<std::uint8_t>(data[i] + key[i])) << i;
    EXPECT_EQ(scrambled[1932], data[1932]);
}
