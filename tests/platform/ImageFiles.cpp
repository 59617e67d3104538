#include "ImageFiles.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>

namespace imagefiles {

Writer& Writer::U8(std::uint32_t v)
{
    bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
}

Writer& Writer::U16(std::uint32_t v) { return U8(v).U8(v >> 8); }

Writer& Writer::U32(std::uint32_t v) { return U16(v).U16(v >> 16); }

Writer& Writer::Raw(std::initializer_list<std::uint8_t> list)
{
    bytes.insert(bytes.end(), list.begin(), list.end());
    return *this;
}

Writer& Writer::Raw(const Bytes& more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

Writer& Writer::Text(const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

Writer& Writer::Zeros(std::size_t count)
{
    bytes.insert(bytes.end(), count, 0);
    return *this;
}

Bytes EncodePng(int width, int height, const std::vector<std::uint32_t>& pixels, bool withAlpha)
{
    Bytes rgba;
    for (std::uint32_t p : pixels) {
        rgba.push_back(static_cast<std::uint8_t>(p >> 16));
        rgba.push_back(static_cast<std::uint8_t>(p >> 8));
        rgba.push_back(static_cast<std::uint8_t>(p));
        if (withAlpha)
            rgba.push_back(static_cast<std::uint8_t>(p >> 24));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr))
        throw std::runtime_error(image.message);
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr))
        throw std::runtime_error(image.message);
    out.resize(size);
    return out;
}

namespace {

int ChannelsOf(int colourType)
{
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1;
    }
}

// One row as PNG stores it: samples packed from the high bit, 16-bit ones
// high byte first.
Bytes PackRow(const PngDesc& desc, int y)
{
    const int channels = ChannelsOf(desc.colourType);
    const std::size_t count = static_cast<std::size_t>(desc.width * channels);
    const std::uint16_t* row = desc.samples.data() + static_cast<std::size_t>(y) * count;
    Bytes bytes((count * static_cast<std::size_t>(desc.bitDepth) + 7) / 8, 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (desc.bitDepth == 16) {
            bytes[2 * i] = static_cast<std::uint8_t>(row[i] >> 8);
            bytes[2 * i + 1] = static_cast<std::uint8_t>(row[i]);
            continue;
        }
        const std::size_t bit = i * static_cast<std::size_t>(desc.bitDepth);
        const int shift = 8 - desc.bitDepth - static_cast<int>(bit % 8);
        bytes[bit / 8] = static_cast<std::uint8_t>(bytes[bit / 8] | (row[i] << shift));
    }
    return bytes;
}

void AppendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void Flush(png_structp) {}

// No object with a destructor lives here: libpng leaves by a long jump.
bool WritePng(const PngDesc& desc, png_bytepp rows, Bytes* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(desc.width), static_cast<png_uint_32>(desc.height),
                 desc.bitDepth, desc.colourType, desc.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    const int entries = static_cast<int>(desc.palette.size() / 3);
    for (int i = 0; i < entries && i < 256; ++i)
        palette[i] = {desc.palette[3 * i], desc.palette[3 * i + 1], desc.palette[3 * i + 2]};
    if (entries > 0)
        png_set_PLTE(png, info, palette, entries);
    if (!desc.paletteAlpha.empty())
        png_set_tRNS(png, info, desc.paletteAlpha.data(), static_cast<int>(desc.paletteAlpha.size()),
                     nullptr);
    png_write_info(png, info);
    png_set_interlace_handling(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

Bytes EncodePng(const PngDesc& desc)
{
    std::vector<Bytes> packed;
    std::vector<png_bytep> rows;
    for (int y = 0; y < desc.height; ++y)
        packed.push_back(PackRow(desc, y));
    for (Bytes& row : packed)
        rows.push_back(row.data());
    Bytes out;
    if (!WritePng(desc, rows.data(), &out))
        throw std::runtime_error("libpng cannot write the test picture");
    return out;
}

Bytes EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& pixels, bool grey)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row;
    for (int y = 0; y < height; ++y) {
        row.clear();
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)];
            if (grey) {
                row.push_back(static_cast<std::uint8_t>(p));
                continue;
            }
            row.push_back(static_cast<std::uint8_t>(p >> 16));
            row.push_back(static_cast<std::uint8_t>(p >> 8));
            row.push_back(static_cast<std::uint8_t>(p));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Writer TgaHeader(int imageType, int width, int height, int pixelBits, int descriptor, int mapLength,
                 int mapEntryBits)
{
    Writer w;
    w.U8(0).U8(mapLength > 0 ? 1 : 0).U8(static_cast<std::uint32_t>(imageType));
    w.U16(0).U16(static_cast<std::uint32_t>(mapLength)).U8(static_cast<std::uint32_t>(mapEntryBits));
    w.U16(0).U16(0).U16(static_cast<std::uint32_t>(width)).U16(static_cast<std::uint32_t>(height));
    w.U8(static_cast<std::uint32_t>(pixelBits)).U8(static_cast<std::uint32_t>(descriptor));
    return w;
}

Writer BmpHeaders(int width, int height, int bits, std::uint32_t compression, std::uint32_t pixelOffset,
                  std::uint32_t coloursUsed)
{
    Writer w;
    w.Text("BM").U32(0).U32(0).U32(pixelOffset);
    w.U32(40).U32(static_cast<std::uint32_t>(width)).U32(static_cast<std::uint32_t>(height));
    w.U16(1).U16(static_cast<std::uint32_t>(bits)).U32(compression).U32(0).U32(2835).U32(2835);
    w.U32(coloursUsed).U32(0);
    return w;
}

Writer DdsHeader(const DdsDesc& d)
{
    Writer w;
    std::uint32_t flags = 0x1007 | (d.mipCount ? 0x20000u : 0u);
    w.Text("DDS ").U32(124).U32(flags).U32(d.height).U32(d.width).U32(0).U32(0).U32(d.mipCount);
    w.Zeros(44);
    w.U32(32).U32(d.pfFlags);
    std::string code = d.fourCc;
    code.resize(4, '\0');
    w.Text((d.pfFlags & 0x4) ? code : std::string(4, '\0'));
    w.U32(d.bitCount).U32(d.masks[0]).U32(d.masks[1]).U32(d.masks[2]).U32(d.masks[3]);
    w.U32(0x1000).U32(d.caps2).U32(0).U32(0).U32(0);
    return w;
}

} // namespace imagefiles
