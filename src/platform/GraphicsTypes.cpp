#include "platform/GraphicsTypes.h"

#include <cstring>

namespace platform {

std::uint32_t VertexSize(std::uint32_t format)
{
    std::uint32_t size = 0;
    if (format & fvf::kPosition)
        size += 12;
    else if (format & fvf::kPositionRhw)
        size += 16;
    else
        return 0;
    if (format & fvf::kNormal)
        size += 12;
    if (format & fvf::kDiffuse)
        size += 4;
    if (format & fvf::kSpecular)
        size += 4;
    size += 8 * ((format & fvf::kTexCountMask) >> fvf::kTexCountShift);
    return size;
}

std::uint32_t FormatUnitBytes(PixelFormat format)
{
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
        return 4;
    case PixelFormat::R8G8B8:
        return 3;
    case PixelFormat::R5G6B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
        return 2;
    case PixelFormat::L8:
    case PixelFormat::A8:
        return 1;
    case PixelFormat::Dxt1:
        return 8;
    case PixelFormat::Dxt3:
    case PixelFormat::Dxt5:
        return 16;
    case PixelFormat::Unknown:
        break;
    }
    return 0;
}

bool IsBlockCompressed(PixelFormat format)
{
    return format == PixelFormat::Dxt1 || format == PixelFormat::Dxt3 || format == PixelFormat::Dxt5;
}

std::uint32_t FloatBits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float BitsToFloat(std::uint32_t bits)
{
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace platform
