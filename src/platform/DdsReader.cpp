#include "platform/ByteReader.h"
#include "platform/ImageReaders.h"

#include <algorithm>

namespace platform::detail {
namespace {

constexpr std::uint32_t kHeaderSize = 124;
constexpr std::uint32_t kFlagMipCount = 0x20000;
constexpr std::uint32_t kPfAlphaPixels = 0x1;
constexpr std::uint32_t kPfAlpha = 0x2;
constexpr std::uint32_t kPfFourCc = 0x4;
constexpr std::uint32_t kPfRgb = 0x40;
constexpr std::uint32_t kPfLuminance = 0x20000;
constexpr std::uint32_t kCaps2Cube = 0x200;
constexpr std::uint32_t kCaps2AllFaces = 0xFC00;
constexpr std::uint32_t kCaps2Volume = 0x200000;

constexpr std::uint32_t FourCc(char a, char b, char c, char d)
{
    return static_cast<std::uint32_t>(a) | (static_cast<std::uint32_t>(b) << 8) |
           (static_cast<std::uint32_t>(c) << 16) | (static_cast<std::uint32_t>(d) << 24);
}

struct DdsHeader {
    std::uint32_t size = 0;
    std::uint32_t flags = 0;
    std::uint32_t height = 0;
    std::uint32_t width = 0;
    std::uint32_t mipCount = 0;
    std::uint32_t pfFlags = 0;
    std::uint32_t fourCc = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    std::uint32_t caps2 = 0;
};

DdsHeader ReadHeader(ByteReader& in)
{
    DdsHeader h;
    in.Skip(4); // "DDS "
    h.size = in.U32();
    h.flags = in.U32();
    h.height = in.U32();
    h.width = in.U32();
    in.Skip(8); // pitch, depth
    h.mipCount = in.U32();
    in.Skip(44 + 4); // reserved, pixel-format size
    h.pfFlags = in.U32();
    h.fourCc = in.U32();
    h.bitCount = in.U32();
    for (std::uint32_t& mask : h.masks)
        mask = in.U32();
    in.Skip(4); // caps
    h.caps2 = in.U32();
    in.Skip(12);
    return h;
}

std::string FourCcText(std::uint32_t code)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        if (c < 32 || c > 126)
            return std::to_string(code);
        text += c;
    }
    return "'" + text + "'";
}

bool ChooseFormat(const DdsHeader& h, ImageFormat& format, std::string& error)
{
    if (h.pfFlags & kPfFourCc) {
        switch (h.fourCc) {
        case FourCc('D', 'X', 'T', '1'):
            format = ImageFormat::Dxt1;
            return true;
        case FourCc('D', 'X', 'T', '2'):
            format = ImageFormat::Dxt2;
            return true;
        case FourCc('D', 'X', 'T', '3'):
            format = ImageFormat::Dxt3;
            return true;
        case FourCc('D', 'X', 'T', '4'):
            format = ImageFormat::Dxt4;
            return true;
        case FourCc('D', 'X', 'T', '5'):
            format = ImageFormat::Dxt5;
            return true;
        default:
            error = "DDS pixel format " + FourCcText(h.fourCc) + " is not supported";
            return false;
        }
    }
    bool masked = (h.pfFlags & (kPfRgb | kPfLuminance | kPfAlpha)) != 0;
    bool wholeBytes = h.bitCount == 8 || h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32;
    if (!masked || !wholeBytes) {
        error = "DDS pixel format with flags " + std::to_string(h.pfFlags) + " and " +
                std::to_string(h.bitCount) + " bits is not supported";
        return false;
    }
    bool alpha = (h.pfFlags & (kPfAlphaPixels | kPfAlpha)) != 0 && h.masks[3] != 0;
    format = alpha ? ImageFormat::A8R8G8B8 : ImageFormat::X8R8G8B8;
    return true;
}

int FullChainLength(std::uint32_t width, std::uint32_t height)
{
    int levels = 1;
    for (std::uint32_t edge = std::max(width, height); edge > 1; edge >>= 1)
        ++levels;
    return levels;
}

class DdsDecoder {
  public:
    explicit DdsDecoder(const DdsHeader& header) : m_h(header) {}

    bool Run(ByteReader& in, Image& image, std::string& error)
    {
        if (m_h.size != kHeaderSize) {
            error = "DDS header size " + std::to_string(m_h.size) + " is not " + std::to_string(kHeaderSize);
            return false;
        }
        if (!CheckImageEdges("DDS", m_h.width, m_h.height, error) || !CheckLayout(error) ||
            !ChooseFormat(m_h, m_format, error))
            return false;
        std::size_t needed = 0;
        for (int mip = 0; mip < m_mips; ++mip)
            needed += StoredLevelBytes(mip);
        needed *= static_cast<std::size_t>(m_faces);
        if (needed > in.Remaining()) {
            error = "DDS data is truncated: " + std::to_string(m_faces) + " face(s) of " +
                    std::to_string(m_mips) + " level(s) need " + std::to_string(needed) + " bytes, " +
                    std::to_string(in.Remaining()) + " present";
            return false;
        }
        image.format = m_format;
        image.width = static_cast<int>(m_h.width);
        image.height = static_cast<int>(m_h.height);
        image.mipLevels = m_mips;
        image.faces = m_faces;
        for (int face = 0; face < m_faces; ++face)
            for (int mip = 0; mip < m_mips; ++mip)
                image.levels.push_back(ReadLevel(in, mip));
        return true;
    }

  private:
    bool CheckLayout(std::string& error)
    {
        if (m_h.caps2 & kCaps2Volume) {
            error = "DDS volume textures are not supported";
            return false;
        }
        if (m_h.caps2 & kCaps2Cube) {
            if ((m_h.caps2 & kCaps2AllFaces) != kCaps2AllFaces) {
                error = "DDS cube map without all six faces is not supported";
                return false;
            }
            if (m_h.width != m_h.height) {
                error = "DDS cube map faces are not square";
                return false;
            }
            m_faces = 6;
        }
        bool hasCount = (m_h.flags & kFlagMipCount) != 0 && m_h.mipCount > 0;
        int chain = FullChainLength(m_h.width, m_h.height);
        if (hasCount && m_h.mipCount > static_cast<std::uint32_t>(chain)) {
            error = "DDS header gives " + std::to_string(m_h.mipCount) + " mip levels, a " +
                    std::to_string(m_h.width) + " x " + std::to_string(m_h.height) + " picture has at most " +
                    std::to_string(chain);
            return false;
        }
        m_mips = hasCount ? static_cast<int>(m_h.mipCount) : 1;
        return true;
    }

    int Edge(std::uint32_t edge, int mip) const
    {
        return static_cast<int>(std::max<std::uint32_t>(1, edge >> mip));
    }

    std::size_t StoredLevelBytes(int mip) const
    {
        int w = Edge(m_h.width, mip);
        int h = Edge(m_h.height, mip);
        if (IsBlockCompressed(m_format))
            return LevelByteSize(m_format, w, h);
        return static_cast<std::size_t>(w) * h * (m_h.bitCount / 8);
    }

    ImageLevel ReadLevel(ByteReader& in, int mip) const
    {
        ImageLevel level;
        level.width = Edge(m_h.width, mip);
        level.height = Edge(m_h.height, mip);
        const std::uint8_t* stored = in.Take(StoredLevelBytes(mip));
        if (IsBlockCompressed(m_format)) {
            level.bytes.assign(stored, stored + StoredLevelBytes(mip));
            return level;
        }
        level.bytes.resize(LevelByteSize(m_format, level.width, level.height));
        std::size_t pixelBytes = m_h.bitCount / 8;
        for (int y = 0; y < level.height; ++y)
            for (int x = 0; x < level.width; ++x) {
                std::uint32_t v = 0;
                for (std::size_t b = pixelBytes; b-- > 0;)
                    v = (v << 8) | stored[b];
                stored += pixelBytes;
                level.SetPixel(x, y, MaskedToArgb(v));
            }
        return level;
    }

    std::uint32_t MaskedToArgb(std::uint32_t v) const
    {
        std::uint32_t alpha = m_format == ImageFormat::A8R8G8B8 ? ExtractChannel(v, m_h.masks[3]) : 0xFF;
        std::uint32_t r = 0, g = 0, b = 0;
        if (m_h.pfFlags & kPfLuminance) {
            r = g = b = ExtractChannel(v, m_h.masks[0]);
        } else if (m_h.pfFlags & kPfRgb) {
            r = ExtractChannel(v, m_h.masks[0]);
            g = ExtractChannel(v, m_h.masks[1]);
            b = ExtractChannel(v, m_h.masks[2]);
        }
        return (alpha << 24) | (r << 16) | (g << 8) | b;
    }

    const DdsHeader& m_h;
    ImageFormat m_format = ImageFormat::Unknown;
    int m_faces = 1;
    int m_mips = 1;
};

} // namespace

bool ReadDds(const std::uint8_t* data, std::size_t size, Image& image, std::string& error)
{
    ByteReader in(data, size);
    DdsHeader header = ReadHeader(in);
    if (in.Failed()) {
        error = "DDS header is truncated";
        return false;
    }
    return DdsDecoder(header).Run(in, image, error);
}

} // namespace platform::detail
