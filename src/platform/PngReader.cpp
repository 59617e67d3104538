#include "platform/ImageReaders.h"

#include <png.h>

#include <cstring>
#include <vector>

namespace platform::detail {
namespace {

// libpng's full reading interface: its simplified one decodes 16-bit
// interlaced files wrong. libpng reports faults by a long jump, so the
// functions that set the jump point hold nothing with a destructor.
struct PngSource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
    std::string message;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->at)
        png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->at, count);
    source->at += count;
}

[[noreturn]] void OnError(png_structp png, png_const_charp message)
{
    static_cast<PngSource*>(png_get_error_ptr(png))->message = message ? message : "unknown fault";
    png_longjmp(png, 1);
}

// Warnings (an odd colour profile, a bad ancillary checksum) leave the
// picture readable.
void OnWarning(png_structp, png_const_charp) {}

class PngReadState {
  public:
    explicit PngReadState(PngSource& source)
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
        if (png)
            info = png_create_info_struct(png);
        if (png && info)
            png_set_read_fn(png, &source, ReadBytes);
    }
    ~PngReadState() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PngReadState(const PngReadState&) = delete;
    PngReadState& operator=(const PngReadState&) = delete;

    png_structp png = nullptr;
    png_infop info = nullptr;
};

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool hasAlpha = false;
    png_size_t rowBytes = 0;
};

// Reads the header and asks for 8-bit B, G, R, A of every colour type,
// bit depth and interlace method. Samples are taken as stored, without
// gamma correction, as image tools read them.
bool ReadHeader(PngReadState& state, PngHeader& header)
{
    png_structp png = state.png;
    png_infop info = state.info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    header.width = png_get_image_width(png, info);
    header.height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    // A transparency chunk gives an alpha channel, as an alpha channel does.
    header.hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png);
    png_set_scale_16(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!header.hasAlpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header.rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool ReadRows(PngReadState& state, png_bytepp rows)
{
    png_structp png = state.png;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

} // namespace

bool ReadPng(const std::uint8_t* data, std::size_t size, Image& image, std::string& error)
{
    PngSource source;
    source.data = data;
    source.size = size;
    PngReadState state(source);
    if (!state.png || !state.info) {
        error = "PNG reader cannot be made: out of memory";
        return false;
    }
    PngHeader header;
    if (!ReadHeader(state, header)) {
        error = "PNG header is corrupt: " + source.message;
        return false;
    }
    if (!CheckImageEdges("PNG", header.width, header.height, error))
        return false;
    if (header.rowBytes != static_cast<png_size_t>(header.width) * 4) {
        error = "PNG pixels do not convert to 32 bits";
        return false;
    }
    image = MakeImage(static_cast<int>(header.width), static_cast<int>(header.height),
                      header.hasAlpha ? ImageFormat::A8R8G8B8 : ImageFormat::X8R8G8B8);
    std::vector<png_bytep> rows(header.height);
    std::uint8_t* pixels = image.levels[0].bytes.data();
    for (png_uint_32 y = 0; y < header.height; ++y)
        rows[y] = pixels + static_cast<std::size_t>(y) * header.rowBytes;
    if (!ReadRows(state, rows.data())) {
        error = "PNG data is corrupt or truncated: " + source.message;
        return false;
    }
    return true;
}

} // namespace platform::detail
