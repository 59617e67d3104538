#include "RenderTestFiles.h"

namespace renderfiles {

namespace {

void U8(Bytes& out, std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
void U16(Bytes& out, std::uint32_t v)
{
    U8(out, v & 0xFF);
    U8(out, v >> 8);
}
void U32(Bytes& out, std::uint32_t v)
{
    U16(out, v & 0xFFFF);
    U16(out, v >> 16);
}

} // namespace

Bytes Tga(int width, int height, std::uint32_t argb)
{
    Bytes out;
    U8(out, 0);                    // no id
    U8(out, 0);                    // no colour map
    U8(out, 2);                    // true colour
    out.resize(out.size() + 5, 0); // colour map fields
    U16(out, 0);                   // x origin
    U16(out, 0);                   // y origin
    U16(out, static_cast<std::uint32_t>(width));
    U16(out, static_cast<std::uint32_t>(height));
    U8(out, 32);   // bits per pixel
    U8(out, 0x28); // top-down rows, 8 alpha bits
    for (int i = 0; i < width * height; ++i)
        U32(out, argb);
    return out;
}

Bytes DdsCube(int edge, const std::uint32_t (&faceColours)[6])
{
    Bytes out = {'D', 'D', 'S', ' '};
    U32(out, 124);
    U32(out, 0x1 | 0x2 | 0x4 | 0x1000); // caps, height, width, pixel format
    U32(out, static_cast<std::uint32_t>(edge));
    U32(out, static_cast<std::uint32_t>(edge));
    U32(out, static_cast<std::uint32_t>(edge) * 4); // pitch
    U32(out, 0);                                    // depth
    U32(out, 0);                                    // mip count
    for (int i = 0; i < 11; ++i)
        U32(out, 0);
    U32(out, 32);   // pixel format size
    U32(out, 0x41); // RGB with alpha
    U32(out, 0);    // no four-character code
    U32(out, 32);
    U32(out, 0x00FF0000);
    U32(out, 0x0000FF00);
    U32(out, 0x000000FF);
    U32(out, 0xFF000000);
    U32(out, 0x1000 | 0x8);   // texture, complex
    U32(out, 0x200 | 0xFC00); // cube map with all six faces
    U32(out, 0);
    U32(out, 0);
    U32(out, 0);
    for (std::uint32_t colour : faceColours)
        for (int i = 0; i < edge * edge; ++i)
            U32(out, colour);
    return out;
}

RenderFiles::RenderFiles() { folder.UseAsDataRoot(); }

int RenderFiles::CountReports(const std::string& source, int line) const
{
    const std::string text = log.Text();
    const std::string needle = "DXError if " + source + " on line " + std::to_string(line) + "\n";
    int count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

} // namespace renderfiles
