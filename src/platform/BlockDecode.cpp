#include "platform/BlockDecode.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace platform {

namespace {

using Colour = std::array<std::uint8_t, 4>; // b, g, r, a

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

Colour Expand565(std::uint16_t c)
{
    const int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return {static_cast<std::uint8_t>((b << 3) | (b >> 2)), static_cast<std::uint8_t>((g << 2) | (g >> 4)),
            static_cast<std::uint8_t>((r << 3) | (r >> 2)), 255};
}

Colour Mix(const Colour& a, const Colour& b, int wa, int wb, int sum)
{
    Colour out{};
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::uint8_t>((a[i] * wa + b[i] * wb) / sum);
    out[3] = 255;
    return out;
}

// The four colours of a colour block; a Dxt1 block whose first colour is
// not above the second has three and transparent black.
std::array<Colour, 4> Palette(const std::uint8_t* block, bool allowTransparent)
{
    const std::uint16_t c0 = Read16(block), c1 = Read16(block + 2);
    std::array<Colour, 4> p{Expand565(c0), Expand565(c1), {}, {}};
    if (c0 > c1 || !allowTransparent) {
        p[2] = Mix(p[0], p[1], 2, 1, 3);
        p[3] = Mix(p[0], p[1], 1, 2, 3);
    } else {
        p[2] = Mix(p[0], p[1], 1, 1, 2);
        p[3] = {0, 0, 0, 0};
    }
    return p;
}

std::array<std::uint8_t, 16> ExplicitAlpha(const std::uint8_t* block)
{
    std::array<std::uint8_t, 16> alpha{};
    for (int i = 0; i < 16; ++i) {
        const int nibble = (block[i / 2] >> ((i & 1) * 4)) & 15;
        alpha[i] = static_cast<std::uint8_t>(nibble * 17);
    }
    return alpha;
}

std::array<std::uint8_t, 16> InterpolatedAlpha(const std::uint8_t* block)
{
    const int a0 = block[0], a1 = block[1];
    std::array<int, 8> levels{a0, a1, 0, 0, 0, 0, 0, 0};
    if (a0 > a1) {
        for (int i = 1; i < 7; ++i)
            levels[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    } else {
        for (int i = 1; i < 5; ++i)
            levels[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        levels[6] = 0;
        levels[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    std::array<std::uint8_t, 16> alpha{};
    for (int i = 0; i < 16; ++i)
        alpha[i] = static_cast<std::uint8_t>(levels[(bits >> (3 * i)) & 7]);
    return alpha;
}

void DecodeBlock(PixelFormat format, const std::uint8_t* block, Colour out[16])
{
    const std::uint8_t* colour = format == PixelFormat::Dxt1 ? block : block + 8;
    const auto palette = Palette(colour, format == PixelFormat::Dxt1);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(colour[4 + i / 4] >> ((i % 4) * 2)) & 3];
    if (format == PixelFormat::Dxt1)
        return;
    const auto alpha = format == PixelFormat::Dxt3 ? ExplicitAlpha(block) : InterpolatedAlpha(block);
    for (int i = 0; i < 16; ++i)
        out[i][3] = alpha[i];
}

} // namespace

bool DecodeBlocks(PixelFormat format, const std::uint8_t* blocks, std::uint32_t width, std::uint32_t height,
                  std::vector<std::uint8_t>& bgra)
{
    if (format != PixelFormat::Dxt1 && format != PixelFormat::Dxt3 && format != PixelFormat::Dxt5)
        return false;
    const std::uint32_t blockBytes = FormatUnitBytes(format);
    const std::uint32_t across = (width + 3) / 4, down = (height + 3) / 4;
    bgra.assign(static_cast<std::size_t>(width) * height * 4, 0);
    Colour texels[16];
    for (std::uint32_t by = 0; by < down; ++by) {
        for (std::uint32_t bx = 0; bx < across; ++bx) {
            DecodeBlock(format, blocks + (static_cast<std::size_t>(by) * across + bx) * blockBytes, texels);
            for (std::uint32_t i = 0; i < 16; ++i) {
                const std::uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height)
                    std::copy(texels[i].begin(), texels[i].end(),
                              bgra.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 4);
            }
        }
    }
    return true;
}

} // namespace platform
