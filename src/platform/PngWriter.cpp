#include "platform/PngWriter.h"

#include <csetjmp>
#include <cstdio>

#include <png.h>

namespace platform {

namespace {

bool WriteRows(std::FILE* file, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::uint32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb + static_cast<std::size_t>(y) * width * 3));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePngRgb(const std::string& path, const std::uint8_t* rgb, std::uint32_t width, std::uint32_t height,
                 std::string* error)
{
    if (width == 0 || height == 0 || !rgb) {
        *error = "no picture to write";
        return false;
    }
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        *error = "cannot create \"" + temporary + "\"";
        return false;
    }
    bool written = WriteRows(file, rgb, width, height);
    written = (std::fclose(file) == 0) && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        *error = "cannot write \"" + path + "\"";
        return false;
    }
    return true;
}

} // namespace platform
