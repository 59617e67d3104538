#include "platform/ImageReaders.h"

#include <png.h>

namespace platform::detail {

// libpng's simplified interface converts every colour type and bit depth to
// the byte order we keep (B, G, R, A) and handles its own error recovery.
bool ReadPng(const std::uint8_t* data, std::size_t size, Image& image, std::string& error)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size)) {
        error = std::string("PNG header is corrupt: ") + png.message;
        return false;
    }
    if (!CheckImageEdges("PNG", png.width, png.height, error)) {
        png_image_free(&png);
        return false;
    }
    // The format read from the header carries the alpha flag for an alpha
    // channel and for a transparency chunk alike.
    bool hasAlpha = (png.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    png.format = PNG_FORMAT_BGRA;
    // Without a gamma or sRGB chunk libpng takes 16-bit samples as linear
    // and brightens them on the way to 8 bits; viewers and editors take
    // them as sRGB, like 8-bit ones.
    png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    image = MakeImage(static_cast<int>(png.width), static_cast<int>(png.height),
                      hasAlpha ? ImageFormat::A8R8G8B8 : ImageFormat::X8R8G8B8);
    if (!png_image_finish_read(&png, nullptr, image.levels[0].bytes.data(), 0, nullptr)) {
        error = std::string("PNG data is corrupt or truncated: ") + png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

} // namespace platform::detail
