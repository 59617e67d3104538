#include "platform/Image.h"

#include "platform/ImageReaders.h"

#include <cstring>

namespace platform {

const char* ImageFormatName(ImageFormat format)
{
    switch (format) {
    case ImageFormat::A8R8G8B8:
        return "A8R8G8B8";
    case ImageFormat::X8R8G8B8:
        return "X8R8G8B8";
    case ImageFormat::Dxt1:
        return "DXT1";
    case ImageFormat::Dxt2:
        return "DXT2";
    case ImageFormat::Dxt3:
        return "DXT3";
    case ImageFormat::Dxt4:
        return "DXT4";
    case ImageFormat::Dxt5:
        return "DXT5";
    case ImageFormat::Unknown:
        break;
    }
    return "unknown";
}

bool IsBlockCompressed(ImageFormat format)
{
    return format == ImageFormat::Dxt1 || format == ImageFormat::Dxt2 || format == ImageFormat::Dxt3 ||
           format == ImageFormat::Dxt4 || format == ImageFormat::Dxt5;
}

int FormatUnitBytes(ImageFormat format)
{
    if (format == ImageFormat::Dxt1)
        return 8;
    if (IsBlockCompressed(format))
        return 16;
    if (format == ImageFormat::Unknown)
        return 0;
    return 4;
}

std::size_t LevelByteSize(ImageFormat format, int width, int height)
{
    auto w = static_cast<std::size_t>(width);
    auto h = static_cast<std::size_t>(height);
    auto unit = static_cast<std::size_t>(FormatUnitBytes(format));
    if (IsBlockCompressed(format))
        return ((w + 3) / 4) * ((h + 3) / 4) * unit;
    return w * h * unit;
}

std::uint32_t ImageLevel::Pixel(int x, int y) const
{
    const std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 4];
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void ImageLevel::SetPixel(int x, int y, std::uint32_t argb)
{
    std::uint8_t* p = &bytes[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 4];
    p[0] = static_cast<std::uint8_t>(argb);
    p[1] = static_cast<std::uint8_t>(argb >> 8);
    p[2] = static_cast<std::uint8_t>(argb >> 16);
    p[3] = static_cast<std::uint8_t>(argb >> 24);
}

Image MakeImage(int width, int height, ImageFormat format)
{
    Image image;
    image.format = format;
    image.width = width;
    image.height = height;
    image.mipLevels = 1;
    image.faces = 1;
    ImageLevel level;
    level.width = width;
    level.height = height;
    level.bytes.assign(LevelByteSize(format, width, height), 0);
    image.levels.push_back(std::move(level));
    return image;
}

ImageFileKind DetectImageFileKind(const std::uint8_t* data, std::size_t size)
{
    static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ImageFileKind::Jpeg;
    if (size >= 8 && std::memcmp(data, kPng, 8) == 0)
        return ImageFileKind::Png;
    if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0)
        return ImageFileKind::Dds;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return ImageFileKind::Bmp;
    // TGA has no signature: accept a header whose colour-map and image types
    // are ones the format defines.
    if (size >= 18) {
        std::uint8_t mapType = data[1];
        std::uint8_t imageType = data[2];
        bool knownType = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                         imageType == 10 || imageType == 11;
        if (mapType <= 1 && knownType)
            return ImageFileKind::Tga;
    }
    return ImageFileKind::Unknown;
}

bool DecodeImage(const std::uint8_t* data, std::size_t size, Image& image, std::string* error)
{
    image = Image();
    std::string message;
    bool ok = false;
    if (data == nullptr || size == 0) {
        message = "image data is empty";
    } else {
        switch (DetectImageFileKind(data, size)) {
        case ImageFileKind::Jpeg:
            ok = detail::ReadJpeg(data, size, image, message);
            break;
        case ImageFileKind::Png:
            ok = detail::ReadPng(data, size, image, message);
            break;
        case ImageFileKind::Bmp:
            ok = detail::ReadBmp(data, size, image, message);
            break;
        case ImageFileKind::Dds:
            ok = detail::ReadDds(data, size, image, message);
            break;
        case ImageFileKind::Tga:
            ok = detail::ReadTga(data, size, image, message);
            break;
        case ImageFileKind::Unknown:
            message = "unrecognised image file format";
            break;
        }
    }
    if (!ok) {
        image = Image();
        if (error)
            *error = message.empty() ? "image could not be decoded" : message;
    }
    return ok;
}

namespace detail {

bool CheckImageEdges(const char* kind, long long width, long long height, std::string& error)
{
    if (width > 0 && height > 0 && width <= kMaxImageEdge && height <= kMaxImageEdge)
        return true;
    error = std::string(kind) + " header gives an impossible size " + std::to_string(width) + " x " +
            std::to_string(height) + " (edges must be 1 to " + std::to_string(kMaxImageEdge) + ")";
    return false;
}

std::uint8_t ExtractChannel(std::uint32_t value, std::uint32_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    std::uint64_t bits = mask >> shift;
    std::uint64_t maximum = 1;
    while ((bits & 1u) != 0) {
        maximum <<= 1;
        bits >>= 1;
    }
    maximum -= 1;
    std::uint64_t raw = (value & mask) >> shift;
    return static_cast<std::uint8_t>((raw * 255 + maximum / 2) / maximum);
}

} // namespace detail
} // namespace platform
