#include "platform/ByteReader.h"
#include "platform/ImageReaders.h"

#include <vector>

namespace platform::detail {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

struct BmpInfo {
    std::uint32_t pixelOffset = 0;
    std::uint32_t headerSize = 0;
    long long width = 0;
    long long height = 0; // negative for rows stored top-down
    int bits = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
};

bool ReadInfo(ByteReader& in, BmpInfo& info, std::string& error)
{
    in.Skip(10);
    info.pixelOffset = in.U32();
    info.headerSize = in.U32();
    if (info.headerSize == 12) {
        info.width = in.U16();
        info.height = static_cast<std::int16_t>(in.U16());
        in.Skip(2);
        info.bits = in.U16();
    } else if (info.headerSize >= 40) {
        info.width = in.I32();
        info.height = in.I32();
        in.Skip(2);
        info.bits = in.U16();
        info.compression = in.U32();
        in.Skip(12);
        info.coloursUsed = in.U32();
        in.Skip(4);
        bool masksFollow = info.compression == kBiBitfields || info.compression == kBiAlphaBitfields;
        int maskCount = info.headerSize >= 56 || info.compression == kBiAlphaBitfields ? 4 : 3;
        if (info.headerSize > 40 || masksFollow) {
            for (int i = 0; i < maskCount; ++i)
                info.masks[i] = in.U32();
        }
        if (info.headerSize > 40)
            in.Seek(14 + info.headerSize);
    } else {
        error = "BMP info header of " + std::to_string(info.headerSize) + " bytes is not supported";
        return false;
    }
    if (in.Failed()) {
        error = "BMP header is truncated";
        return false;
    }
    return true;
}

bool CheckFormat(BmpInfo& info, std::string& error)
{
    bool paletted = info.bits == 1 || info.bits == 4 || info.bits == 8;
    bool direct = info.bits == 16 || info.bits == 24 || info.bits == 32;
    bool fields = info.compression == kBiBitfields || info.compression == kBiAlphaBitfields;
    bool runs =
        (info.bits == 8 && info.compression == kBiRle8) || (info.bits == 4 && info.compression == kBiRle4);
    bool ok = (paletted && info.compression == kBiRgb) || (direct && info.compression == kBiRgb) ||
              ((info.bits == 16 || info.bits == 32) && fields) || runs;
    if (!ok) {
        error = "BMP with " + std::to_string(info.bits) + "-bit pixels and compression " +
                std::to_string(info.compression) + " is not supported";
        return false;
    }
    if (runs && info.height < 0) {
        error = "BMP run-length data cannot be stored top-down";
        return false;
    }
    // Uncompressed pixels have a fixed layout: the masks a v4 or v5 header
    // carries apply only with bit fields.
    if (info.compression == kBiRgb) {
        for (std::uint32_t& mask : info.masks)
            mask = 0;
    }
    if (info.compression == kBiRgb && info.bits == 16) {
        info.masks[0] = 0x7C00;
        info.masks[1] = 0x03E0;
        info.masks[2] = 0x001F;
    }
    return true;
}

std::vector<std::uint32_t> ReadPalette(ByteReader& in, const BmpInfo& info, std::string& error)
{
    std::size_t count = info.coloursUsed != 0 ? info.coloursUsed : (1u << info.bits);
    if (count > (1u << info.bits))
        count = 1u << info.bits;
    std::size_t entryBytes = info.headerSize == 12 ? 3 : 4;
    std::vector<std::uint32_t> palette(std::size_t{1} << info.bits, 0xFF000000u);
    const std::uint8_t* entries = in.Take(count * entryBytes);
    if (!entries) {
        error = "BMP colour table is truncated";
        return {};
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = entries + i * entryBytes;
        palette[i] = 0xFF000000u | (e[2] << 16) | (e[1] << 8) | e[0];
    }
    return palette;
}

std::uint32_t DirectPixel(const std::uint8_t* row, long long x, const BmpInfo& info, bool hasAlpha)
{
    if (info.bits == 24) {
        const std::uint8_t* p = row + x * 3;
        return 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
    }
    std::uint32_t v = 0;
    if (info.bits == 16) {
        v = static_cast<std::uint32_t>(row[x * 2] | (row[x * 2 + 1] << 8));
    } else {
        const std::uint8_t* p = row + x * 4;
        v = static_cast<std::uint32_t>(p[0]) | (p[1] << 8) | (p[2] << 16) |
            (static_cast<std::uint32_t>(p[3]) << 24);
        if (info.compression == kBiRgb)
            return 0xFF000000u | (v & 0x00FFFFFFu);
    }
    std::uint32_t alpha = hasAlpha ? ExtractChannel(v, info.masks[3]) : 0xFF;
    return (alpha << 24) | (ExtractChannel(v, info.masks[0]) << 16) |
           (ExtractChannel(v, info.masks[1]) << 8) | ExtractChannel(v, info.masks[2]);
}

// Run-length pixels (8 or 4 bits an index), rows from the bottom. Pixels
// the data skips (by a delta or an early end) keep colour 0 of the table.
bool ReadRunLength(const std::uint8_t* data, std::size_t size, const BmpInfo& info,
                   const std::vector<std::uint32_t>& palette, ImageLevel& level, std::string& error)
{
    const long long width = info.width;
    const long long height = info.height;
    const bool four = info.compression == kBiRle4;
    for (long long y = 0; y < height; ++y)
        for (long long x = 0; x < width; ++x)
            level.SetPixel(static_cast<int>(x), static_cast<int>(y), palette[0]);
    long long x = 0;
    long long y = 0;
    auto put = [&](std::uint32_t index) {
        if (x < width && y < height)
            level.SetPixel(static_cast<int>(x), static_cast<int>(height - 1 - y), palette[index]);
        ++x;
    };
    std::size_t at = info.pixelOffset;
    while (y < height) {
        if (at + 2 > size) {
            error = "BMP run-length data is truncated";
            return false;
        }
        const std::uint8_t count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            continue;
        }
        if (value == 0) { // end of the row
            x = 0;
            ++y;
        } else if (value == 1) { // end of the picture
            return true;
        } else if (value == 2) { // move right and up
            if (at + 2 > size) {
                error = "BMP run-length data is truncated";
                return false;
            }
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else { // `value` indices as they are, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (at + bytes > size) {
                error = "BMP run-length data is truncated";
                return false;
            }
            for (int i = 0; i < value; ++i) {
                const std::uint8_t byte = data[at + (four ? i / 2 : i)];
                put(four ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            at += bytes + (bytes & 1);
        }
    }
    return true;
}

} // namespace

bool ReadBmp(const std::uint8_t* data, std::size_t size, Image& image, std::string& error)
{
    ByteReader in(data, size);
    BmpInfo info;
    if (!ReadInfo(in, info, error) || !CheckFormat(info, error))
        return false;
    long long height = info.height < 0 ? -info.height : info.height;
    if (!CheckImageEdges("BMP", info.width, height, error))
        return false;
    std::vector<std::uint32_t> palette;
    if (info.bits <= 8) {
        palette = ReadPalette(in, info, error);
        if (palette.empty())
            return false;
    }
    if (info.compression == kBiRle8 || info.compression == kBiRle4) {
        if (info.pixelOffset > size) {
            error = "BMP pixel data is truncated";
            return false;
        }
        image = MakeImage(static_cast<int>(info.width), static_cast<int>(height), ImageFormat::X8R8G8B8);
        return ReadRunLength(data, size, info, palette, image.levels[0], error);
    }
    std::size_t rowBytes = ((static_cast<std::size_t>(info.width) * info.bits + 31) / 32) * 4;
    std::size_t needed = rowBytes * static_cast<std::size_t>(height);
    if (info.pixelOffset > size || needed > size - info.pixelOffset) {
        error = "BMP pixel data is truncated: " + std::to_string(info.width) + " x " +
                std::to_string(height) + " needs " + std::to_string(needed) + " bytes";
        return false;
    }
    bool hasAlpha = info.masks[3] != 0 && info.bits > 8;
    image = MakeImage(static_cast<int>(info.width), static_cast<int>(height),
                      hasAlpha ? ImageFormat::A8R8G8B8 : ImageFormat::X8R8G8B8);
    ImageLevel& level = image.levels[0];
    for (long long y = 0; y < height; ++y) {
        const std::uint8_t* row = data + info.pixelOffset + static_cast<std::size_t>(y) * rowBytes;
        int targetY = static_cast<int>(info.height < 0 ? y : height - 1 - y);
        for (long long x = 0; x < info.width; ++x) {
            std::uint32_t argb = 0;
            if (info.bits <= 8) {
                long long bitPos = x * info.bits;
                int shift = 8 - info.bits - static_cast<int>(bitPos % 8);
                argb = palette[(row[bitPos / 8] >> shift) & ((1u << info.bits) - 1)];
            } else {
                argb = DirectPixel(row, x, info, hasAlpha);
            }
            level.SetPixel(static_cast<int>(x), targetY, argb);
        }
    }
    return true;
}

} // namespace platform::detail
