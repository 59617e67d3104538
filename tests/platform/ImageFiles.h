#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Small image files built in memory for the decoder tests.
namespace imagefiles {

using Bytes = std::vector<std::uint8_t>;

// Appends little-endian fields.
class Writer {
  public:
    Writer& U8(std::uint32_t v);
    Writer& U16(std::uint32_t v);
    Writer& U32(std::uint32_t v);
    Writer& Raw(std::initializer_list<std::uint8_t> bytes);
    Writer& Raw(const Bytes& bytes);
    Writer& Text(const std::string& text);
    Writer& Zeros(std::size_t count);
    Bytes bytes;
};

// Pixels are 0xAARRGGBB words, row by row from the top.
Bytes EncodePng(int width, int height, const std::vector<std::uint32_t>& pixels, bool withAlpha);
// A PNG of any colour type, bit depth and interlace method, through
// libpng's full writer. `samples` holds each pixel's channels as stored:
// grey; grey, alpha; red, green, blue; the same and alpha; or a palette
// index.
struct PngDesc {
    int width = 1;
    int height = 1;
    int colourType = 2; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint16_t> samples;
    std::vector<std::uint8_t> palette;      // red, green, blue of each entry
    std::vector<std::uint8_t> paletteAlpha; // the transparency chunk, when not empty
};
Bytes EncodePng(const PngDesc& desc);
Bytes EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& pixels, bool grey);

// The 18-byte TGA header.
Writer TgaHeader(int imageType, int width, int height, int pixelBits, int descriptor, int mapLength = 0,
                 int mapEntryBits = 0);

// The 14-byte file header and a 40-byte info header; `height` negative for
// top-down rows.
Writer BmpHeaders(int width, int height, int bits, std::uint32_t compression, std::uint32_t pixelOffset,
                  std::uint32_t coloursUsed = 0);

struct DdsDesc {
    std::uint32_t width = 4;
    std::uint32_t height = 4;
    std::uint32_t mipCount = 0; // 0: no mip-count flag
    std::uint32_t pfFlags = 0x4;
    std::string fourCc = "DXT1";
    std::uint32_t bitCount = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    std::uint32_t caps2 = 0;
};
// "DDS " and the 124-byte header.
Writer DdsHeader(const DdsDesc& desc);

} // namespace imagefiles
