#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Pixel layouts an image can hold. Decoded images are always 32-bit words
// 0xAARRGGBB stored little-endian (bytes B, G, R, A); X8R8G8B8 marks a
// picture without alpha, whose top byte is 0xFF. Block-compressed DDS data
// is kept as stored.
enum class ImageFormat {
    Unknown,
    A8R8G8B8,
    X8R8G8B8,
    Dxt1,
    Dxt2,
    Dxt3,
    Dxt4,
    Dxt5,
};

const char* ImageFormatName(ImageFormat format);
bool IsBlockCompressed(ImageFormat format);
// Bytes of one 4x4 block for compressed formats, of one pixel otherwise.
int FormatUnitBytes(ImageFormat format);
// Bytes one level of the given size takes in the given format.
std::size_t LevelByteSize(ImageFormat format, int width, int height);

// The largest edge a decoder accepts; larger headers are treated as corrupt
// rather than allocated.
constexpr int kMaxImageEdge = 8192;

// One mip level of one face.
struct ImageLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;

    // The 0xAARRGGBB word at (x, y) of a 32-bit level.
    std::uint32_t Pixel(int x, int y) const;
    void SetPixel(int x, int y, std::uint32_t argb);
};

// A decoded picture: one face (or six for a cube map), each with a chain of
// mip levels, level 0 the largest. Levels are stored face by face.
struct Image {
    ImageFormat format = ImageFormat::Unknown;
    int width = 0;
    int height = 0;
    int mipLevels = 0;
    int faces = 0;
    std::vector<ImageLevel> levels;

    bool IsCube() const { return faces == 6; }
    ImageLevel& Level(int face, int mip) { return levels[static_cast<std::size_t>(face * mipLevels + mip)]; }
    const ImageLevel& Level(int face, int mip) const
    {
        return levels[static_cast<std::size_t>(face * mipLevels + mip)];
    }
};

// The file kinds the decoder knows, recognised by their content.
enum class ImageFileKind { Unknown, Jpeg, Png, Bmp, Dds, Tga };

ImageFileKind DetectImageFileKind(const std::uint8_t* data, std::size_t size);

// Decodes an image file held whole in memory. On failure returns false,
// leaves `image` empty and, when `error` is given, says what was wrong.
bool DecodeImage(const std::uint8_t* data, std::size_t size, Image& image, std::string* error = nullptr);

// Makes an empty 32-bit single-face image of the given size with one level.
Image MakeImage(int width, int height, ImageFormat format = ImageFormat::A8R8G8B8);

} // namespace platform
