#include "platform/BlockDecompression.h"

#include <cstdint>

namespace platform {
namespace {

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void Expand565(std::uint16_t c, int& r, int& g, int& b)
{
    r = ((c >> 11) & 0x1F) * 255 / 31;
    g = ((c >> 5) & 0x3F) * 255 / 63;
    b = (c & 0x1F) * 255 / 31;
}

std::uint32_t Argb(int a, int r, int g, int b)
{
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(r) << 16 |
           static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

// The 16 colours of a colour block; a DXT1 block whose first colour is not
// above the second has three colours and transparent black.
void ColourBlock(const std::uint8_t* block, bool dxt1, std::uint32_t out[16])
{
    const std::uint16_t c0 = U16(block);
    const std::uint16_t c1 = U16(block + 2);
    int r[4], g[4], b[4], a[4] = {255, 255, 255, 255};
    Expand565(c0, r[0], g[0], b[0]);
    Expand565(c1, r[1], g[1], b[1]);
    if (!dxt1 || c0 > c1) {
        r[2] = (2 * r[0] + r[1]) / 3, g[2] = (2 * g[0] + g[1]) / 3, b[2] = (2 * b[0] + b[1]) / 3;
        r[3] = (r[0] + 2 * r[1]) / 3, g[3] = (g[0] + 2 * g[1]) / 3, b[3] = (b[0] + 2 * b[1]) / 3;
    } else {
        r[2] = (r[0] + r[1]) / 2, g[2] = (g[0] + g[1]) / 2, b[2] = (b[0] + b[1]) / 2;
        r[3] = g[3] = b[3] = a[3] = 0;
    }
    const std::uint32_t indices = static_cast<std::uint32_t>(U16(block + 4)) | (U16(block + 6) << 16);
    for (int i = 0; i < 16; ++i) {
        const int k = (indices >> (2 * i)) & 3;
        out[i] = Argb(a[k], r[k], g[k], b[k]);
    }
}

// Sixteen alphas of four bits each.
void ExplicitAlpha(const std::uint8_t* block, std::uint32_t alpha[16])
{
    for (int i = 0; i < 16; ++i) {
        const int nibble = (block[i / 2] >> (4 * (i % 2))) & 0x0F;
        alpha[i] = static_cast<std::uint32_t>(nibble * 17);
    }
}

// Two end alphas and three-bit indices into eight (or six, 0 and 255).
void InterpolatedAlpha(const std::uint8_t* block, std::uint32_t alpha[16])
{
    int a[8];
    a[0] = block[0];
    a[1] = block[1];
    if (a[0] > a[1]) {
        for (int i = 1; i < 7; ++i)
            a[i + 1] = ((7 - i) * a[0] + i * a[1]) / 7;
    } else {
        for (int i = 1; i < 5; ++i)
            a[i + 1] = ((5 - i) * a[0] + i * a[1]) / 5;
        a[6] = 0;
        a[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i)
        bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        alpha[i] = static_cast<std::uint32_t>(a[(bits >> (3 * i)) & 7]);
}

std::uint32_t Unpremultiply(std::uint32_t argb)
{
    const std::uint32_t a = argb >> 24;
    if (a == 0)
        return 0;
    auto channel = [a](std::uint32_t c) { return c >= a ? 255u : (c * 255 + a / 2) / a; };
    return a << 24 | channel((argb >> 16) & 0xFF) << 16 | channel((argb >> 8) & 0xFF) << 8 |
           channel(argb & 0xFF);
}

ImageLevel DecompressLevel(const ImageLevel& level, ImageFormat format)
{
    ImageLevel out;
    out.width = level.width;
    out.height = level.height;
    out.bytes.assign(LevelByteSize(ImageFormat::A8R8G8B8, level.width, level.height), 0);
    const std::size_t unit = static_cast<std::size_t>(FormatUnitBytes(format));
    const int across = (level.width + 3) / 4;
    const int down = (level.height + 3) / 4;
    const bool premultiplied = format == ImageFormat::Dxt2 || format == ImageFormat::Dxt4;
    for (int by = 0; by < down; ++by) {
        for (int bx = 0; bx < across; ++bx) {
            const std::size_t at = (static_cast<std::size_t>(by) * across + bx) * unit;
            if (at + unit > level.bytes.size())
                return out;
            const std::uint8_t* block = level.bytes.data() + at;
            std::uint32_t pixels[16];
            if (format == ImageFormat::Dxt1) {
                ColourBlock(block, true, pixels);
            } else {
                std::uint32_t alpha[16];
                if (format == ImageFormat::Dxt2 || format == ImageFormat::Dxt3)
                    ExplicitAlpha(block, alpha);
                else
                    InterpolatedAlpha(block, alpha);
                ColourBlock(block + 8, false, pixels);
                for (int i = 0; i < 16; ++i)
                    pixels[i] = (pixels[i] & 0x00FFFFFFu) | alpha[i] << 24;
            }
            for (int i = 0; i < 16; ++i) {
                const int x = bx * 4 + i % 4;
                const int y = by * 4 + i / 4;
                if (x < level.width && y < level.height)
                    out.SetPixel(x, y, premultiplied ? Unpremultiply(pixels[i]) : pixels[i]);
            }
        }
    }
    return out;
}

} // namespace

Image DecompressImage(const Image& source)
{
    if (!IsBlockCompressed(source.format))
        return source;
    Image image = source;
    image.format = ImageFormat::A8R8G8B8;
    for (ImageLevel& level : image.levels)
        level = DecompressLevel(level, source.format);
    return image;
}

} // namespace platform
