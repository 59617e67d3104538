#include "platform/ByteReader.h"
#include "platform/ImageReaders.h"

#include <algorithm>
#include <vector>

namespace platform::detail {
namespace {

enum TgaType { kMapped = 1, kTrueColour = 2, kGrey = 3, kRleMapped = 9, kRleTrueColour = 10, kRleGrey = 11 };

struct TgaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntryBits = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t pixelBits = 0;
    std::uint8_t descriptor = 0;
};

TgaHeader ReadHeader(ByteReader& in)
{
    TgaHeader h;
    h.idLength = in.U8();
    h.mapType = in.U8();
    h.imageType = in.U8();
    h.mapFirst = in.U16();
    h.mapLength = in.U16();
    h.mapEntryBits = in.U8();
    in.Skip(4); // origin
    h.width = in.U16();
    h.height = in.U16();
    h.pixelBits = in.U8();
    h.descriptor = in.U8();
    return h;
}

// A pixel of 15, 16, 24 or 32 bits as an ARGB word.
std::uint32_t ColourToArgb(const std::uint8_t* p, int bits, bool useAlphaBit)
{
    if (bits == 24)
        return 0xFF000000u | (p[2] << 16) | (p[1] << 8) | p[0];
    if (bits == 32)
        return (static_cast<std::uint32_t>(p[3]) << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
    std::uint32_t v = static_cast<std::uint32_t>(p[0] | (p[1] << 8));
    std::uint32_t alpha = (!useAlphaBit || (v & 0x8000u)) ? 0xFF : 0x00;
    return (alpha << 24) | (ExtractChannel(v, 0x7C00) << 16) | (ExtractChannel(v, 0x03E0) << 8) |
           ExtractChannel(v, 0x001F);
}

bool IsColourDepth(int bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

class TgaDecoder {
  public:
    TgaDecoder(const TgaHeader& header, ByteReader& in) : m_h(header), m_in(in) {}

    bool Run(Image& image, std::string& error)
    {
        if (!CheckTypes(error) || !CheckImageEdges("TGA", m_h.width, m_h.height, error))
            return false;
        m_in.Skip(m_h.idLength);
        if (!ReadPalette(error))
            return false;
        if (!CheckDataSize(error))
            return false;
        image = MakeImage(m_h.width, m_h.height, Format());
        if (!ReadPixels(image.levels[0], error))
            return false;
        Orient(image.levels[0]);
        return true;
    }

  private:
    int Type() const { return m_h.imageType & 3; } // 1 mapped, 2 true colour, 3 grey
    bool Rle() const { return m_h.imageType >= kRleMapped; }
    int AlphaBits() const { return m_h.descriptor & 0x0F; }
    int PixelBytes() const { return (m_h.pixelBits + 7) / 8; }
    int ColourBits() const { return Type() == 1 ? m_h.mapEntryBits : m_h.pixelBits; }

    ImageFormat Format() const
    {
        int bits = ColourBits();
        bool alpha = bits == 32 || (bits == 16 && AlphaBits() > 0);
        return Type() != kGrey && alpha ? ImageFormat::A8R8G8B8 : ImageFormat::X8R8G8B8;
    }

    bool CheckTypes(std::string& error) const
    {
        bool ok = false;
        if (Type() == kTrueColour)
            ok = IsColourDepth(m_h.pixelBits);
        else if (Type() == kGrey)
            ok = m_h.pixelBits == 8;
        else if (Type() == kMapped)
            ok = m_h.mapType == 1 && m_h.pixelBits == 8 && m_h.mapLength > 0 &&
                 IsColourDepth(m_h.mapEntryBits);
        if (!ok)
            error = "TGA image type " + std::to_string(m_h.imageType) + " with " +
                    std::to_string(m_h.pixelBits) + "-bit pixels is not supported";
        return ok;
    }

    bool ReadPalette(std::string& error)
    {
        if (m_h.mapType != 1)
            return true;
        int entryBytes = (m_h.mapEntryBits + 7) / 8;
        const std::uint8_t* entries = m_in.Take(static_cast<std::size_t>(m_h.mapLength) * entryBytes);
        if (!entries) {
            error = "TGA colour map is truncated";
            return false;
        }
        if (Type() != kMapped)
            return true; // a map the pixels do not use
        m_palette.assign(256, 0xFF000000u);
        for (int i = 0; i < m_h.mapLength; ++i) {
            int index = m_h.mapFirst + i;
            if (index < 256)
                m_palette[index] = ColourToArgb(entries + i * entryBytes, m_h.mapEntryBits, AlphaBits() > 0);
        }
        return true;
    }

    // Refuses headers that promise more pixels than the data can hold before
    // anything is allocated; a run-length packet covers at most 128 pixels.
    bool CheckDataSize(std::string& error) const
    {
        std::size_t pixels = static_cast<std::size_t>(m_h.width) * m_h.height;
        std::size_t needed = Rle() ? (pixels + 127) / 128 * (1 + PixelBytes()) : pixels * PixelBytes();
        if (needed <= m_in.Remaining())
            return true;
        error = "TGA pixel data is truncated: " + std::to_string(m_h.width) + " x " +
                std::to_string(m_h.height) + " needs at least " + std::to_string(needed) + " bytes, " +
                std::to_string(m_in.Remaining()) + " present";
        return false;
    }

    std::uint32_t ToArgb(const std::uint8_t* p) const
    {
        if (Type() == kGrey)
            return 0xFF000000u | (p[0] << 16) | (p[0] << 8) | p[0];
        if (Type() == kMapped)
            return m_palette[p[0]];
        return ColourToArgb(p, m_h.pixelBits, AlphaBits() > 0);
    }

    bool ReadPixels(ImageLevel& level, std::string& error)
    {
        std::size_t total = static_cast<std::size_t>(level.width) * level.height;
        std::size_t bytes = static_cast<std::size_t>(PixelBytes());
        std::size_t done = 0;
        while (done < total) {
            std::size_t count = 1;
            bool repeat = false;
            if (Rle()) {
                std::uint8_t packet = m_in.U8();
                count = (packet & 0x7Fu) + 1u;
                repeat = (packet & 0x80u) != 0;
            } else {
                count = total;
            }
            count = std::min(count, total - done);
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint8_t* p = (repeat && i > 0) ? m_last : m_in.Take(bytes);
                if (!p) {
                    error = "TGA pixel data is truncated";
                    return false;
                }
                m_last = p;
                level.SetPixel(static_cast<int>(done % level.width), static_cast<int>(done / level.width),
                               ToArgb(p));
                ++done;
            }
        }
        return true;
    }

    // Rows are stored bottom-up unless the descriptor says top-down, and
    // right-to-left when its mirror bit is set.
    void Orient(ImageLevel& level) const
    {
        std::size_t rowBytes = static_cast<std::size_t>(level.width) * 4;
        if ((m_h.descriptor & 0x20) == 0) {
            for (int y = 0; y < level.height / 2; ++y)
                std::swap_ranges(level.bytes.begin() + y * rowBytes, level.bytes.begin() + (y + 1) * rowBytes,
                                 level.bytes.begin() + (level.height - 1 - y) * rowBytes);
        }
        if ((m_h.descriptor & 0x10) != 0) {
            for (int y = 0; y < level.height; ++y)
                for (int x = 0; x < level.width / 2; ++x) {
                    std::uint32_t left = level.Pixel(x, y);
                    level.SetPixel(x, y, level.Pixel(level.width - 1 - x, y));
                    level.SetPixel(level.width - 1 - x, y, left);
                }
        }
    }

    const TgaHeader& m_h;
    ByteReader& m_in;
    std::vector<std::uint32_t> m_palette;
    const std::uint8_t* m_last = nullptr;
};

} // namespace

bool ReadTga(const std::uint8_t* data, std::size_t size, Image& image, std::string& error)
{
    ByteReader in(data, size);
    TgaHeader header = ReadHeader(in);
    if (in.Failed()) {
        error = "TGA header is truncated";
        return false;
    }
    return TgaDecoder(header, in).Run(image, error);
}

} // namespace platform::detail
