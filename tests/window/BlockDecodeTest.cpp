// Compressed texture blocks unpacked for contexts without S3TC.
#include <gtest/gtest.h>

#include "platform/BlockDecode.h"

using namespace platform;

namespace {

std::uint32_t Texel(const std::vector<std::uint8_t>& bgra, std::uint32_t width, std::uint32_t x,
                    std::uint32_t y)
{
    const std::uint8_t* p = &bgra[(y * width + x) * 4];
    return (static_cast<std::uint32_t>(p[3]) << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
}

} // namespace

TEST(BlockDecode, Dxt1PicksPaletteColoursAndTransparentBlack)
{
    // Red then blue: c0 > c1, four opaque colours; indices 0,1,2,3 along
    // the first row, 3 everywhere else.
    const std::uint8_t opaque[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xFF, 0xFF, 0xFF};
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(DecodeBlocks(PixelFormat::Dxt1, opaque, 4, 4, out));
    EXPECT_EQ(Texel(out, 4, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Texel(out, 4, 1, 0), 0xFF0000FFu);
    EXPECT_EQ(Texel(out, 4, 2, 0), 0xFFAA0055u); // two thirds red
    EXPECT_EQ(Texel(out, 4, 3, 0), 0xFF5500AAu);
    // c0 <= c1: the third colour is the mean, the fourth transparent black.
    const std::uint8_t punched[8] = {0x1F, 0x00, 0x00, 0xF8, 0xFE, 0xFF, 0xFF, 0xFF};
    ASSERT_TRUE(DecodeBlocks(PixelFormat::Dxt1, punched, 4, 4, out));
    EXPECT_EQ(Texel(out, 4, 0, 0), 0xFF7F007Fu);
    EXPECT_EQ(Texel(out, 4, 1, 0), 0x00000000u);
}

TEST(BlockDecode, Dxt3AndDxt5CarryTheirAlpha)
{
    // Explicit 4-bit alpha: texel 0 gets 0x3 (0x33), texel 1 0xF.
    std::uint8_t dxt3[16] = {0xF3, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(DecodeBlocks(PixelFormat::Dxt3, dxt3, 4, 4, out));
    EXPECT_EQ(Texel(out, 4, 0, 0), 0x33FFFFFFu);
    EXPECT_EQ(Texel(out, 4, 1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Texel(out, 4, 2, 0) >> 24, 0u);
    // Interpolated alpha 255..0 in sevenths: index 2 is 6/7 of 255.
    std::uint8_t dxt5[16] = {255, 0, 0x02, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    ASSERT_TRUE(DecodeBlocks(PixelFormat::Dxt5, dxt5, 4, 4, out));
    EXPECT_EQ(Texel(out, 4, 0, 0) >> 24, 218u);
    EXPECT_EQ(Texel(out, 4, 1, 0) >> 24, 255u);
}

TEST(BlockDecode, PartialBlocksAndOtherFormats)
{
    const std::uint8_t block[8] = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(DecodeBlocks(PixelFormat::Dxt1, block, 2, 1, out));
    EXPECT_EQ(out.size(), 2u * 1u * 4u);
    EXPECT_EQ(Texel(out, 2, 1, 0), 0xFFFF0000u);
    EXPECT_FALSE(DecodeBlocks(PixelFormat::A8R8G8B8, block, 4, 4, out));
}
