#include "ImageFiles.h"

#include "platform/Image.h"
#include "platform/TextureSize.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>

using namespace imagefiles;
using platform::DecodeImage;
using platform::Image;
using platform::ImageFormat;

namespace {

struct PixelCase {
    const char* what;
    Bytes file;
    ImageFormat format;
    int width;
    int height;
    std::vector<std::uint32_t> pixels; // row by row from the top
};

void ExpectPixels(const PixelCase& c)
{
    SCOPED_TRACE(c.what);
    Image image;
    std::string error;
    ASSERT_TRUE(DecodeImage(c.file.data(), c.file.size(), image, &error)) << error;
    EXPECT_EQ(image.format, c.format);
    ASSERT_EQ(image.width, c.width);
    ASSERT_EQ(image.height, c.height);
    EXPECT_EQ(image.mipLevels, 1);
    EXPECT_EQ(image.faces, 1);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            EXPECT_EQ(image.Level(0, 0).Pixel(x, y), c.pixels[static_cast<std::size_t>(y * c.width + x)])
                << "at " << x << ", " << y;
}

} // namespace

TEST(ImageDecoding, PngKeepsExactPixelsAndTellsAlpha)
{
    std::vector<std::uint32_t> pixels = {0xFFFF0000, 0x8000FF00, 0x000000FF,
                                         0xFF123456, 0x40FFFFFF, 0xFF000000};
    ExpectPixels({"rgba", EncodePng(3, 2, pixels, true), ImageFormat::A8R8G8B8, 3, 2, pixels});
    std::vector<std::uint32_t> opaque = {0xFF102030, 0xFFA0B0C0};
    ExpectPixels({"rgb", EncodePng(2, 1, opaque, false), ImageFormat::X8R8G8B8, 2, 1, opaque});
}

namespace {

// The 8-bit value image tools make of a stored sample of `bits` bits.
int EightBitsOf(int sample, int bits)
{
    const int top = (1 << bits) - 1;
    return (sample * 255 + top / 2) / top;
}

struct PngKind {
    const char* what;
    int colourType;
    int bitDepth;
    bool paletteAlpha;
};

// A picture of every kind, 9 x 7 so that each interlace pass holds a part
// block; 16-bit samples differ in their low bytes.
PngDesc PictureOf(const PngKind& kind, bool interlaced)
{
    PngDesc desc;
    desc.width = 9;
    desc.height = 7;
    desc.colourType = kind.colourType;
    desc.bitDepth = kind.bitDepth;
    desc.interlaced = interlaced;
    const int channels = kind.colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
                         : kind.colourType == PNG_COLOR_TYPE_RGB     ? 3
                         : kind.colourType == PNG_COLOR_TYPE_GA      ? 2
                                                                     : 1;
    const int top = (1 << std::min(kind.bitDepth, 8)) - 1;
    for (int i = 0; i < desc.width * desc.height; ++i) {
        for (int c = 0; c < channels; ++c) {
            const int high = (i * 29 + c * 71 + 7) & top;
            const int low = (i * 53 + c * 17 + 200) & 0xFF;
            desc.samples.push_back(static_cast<std::uint16_t>(kind.bitDepth == 16 ? high << 8 | low : high));
        }
    }
    if (kind.colourType == PNG_COLOR_TYPE_PALETTE) {
        for (int entry = 0; entry <= top; ++entry) {
            desc.palette.push_back(static_cast<std::uint8_t>(entry * 7));
            desc.palette.push_back(static_cast<std::uint8_t>(255 - entry));
            desc.palette.push_back(static_cast<std::uint8_t>(entry * 3 + 1));
        }
        if (kind.paletteAlpha)
            desc.paletteAlpha = {0, 60, 200};
    }
    return desc;
}

// 0xAARRGGBB of each pixel, worked out from the stored samples.
std::vector<std::uint32_t> PixelsOf(const PngDesc& desc)
{
    std::vector<std::uint32_t> pixels;
    const std::size_t count = static_cast<std::size_t>(desc.width * desc.height);
    const std::size_t channels = desc.samples.size() / count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t* s = &desc.samples[i * channels];
        int rgba[4] = {0, 0, 0, 255};
        if (desc.colourType == PNG_COLOR_TYPE_PALETTE) {
            for (int c = 0; c < 3; ++c)
                rgba[c] = desc.palette[s[0] * 3u + static_cast<unsigned>(c)];
            if (s[0] < desc.paletteAlpha.size())
                rgba[3] = desc.paletteAlpha[s[0]];
        } else {
            const bool colour = channels >= 3;
            for (int c = 0; c < 3; ++c)
                rgba[c] = EightBitsOf(s[colour ? c : 0], desc.bitDepth);
            if (channels == 2 || channels == 4)
                rgba[3] = EightBitsOf(s[channels - 1], desc.bitDepth);
        }
        pixels.push_back(static_cast<std::uint32_t>(rgba[3]) << 24 |
                         static_cast<std::uint32_t>(rgba[0]) << 16 |
                         static_cast<std::uint32_t>(rgba[1]) << 8 | static_cast<std::uint32_t>(rgba[2]));
    }
    return pixels;
}

int WorstChannelDifference(std::uint32_t a, std::uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(
            worst, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return worst;
}

} // namespace

TEST(ImageDecoding, EveryPngKindDecodesToItsStoredSamplesInterlacedOrNot)
{
    const PngKind kinds[] = {
        {"grey 1", PNG_COLOR_TYPE_GRAY, 1, false},
        {"grey 2", PNG_COLOR_TYPE_GRAY, 2, false},
        {"grey 4", PNG_COLOR_TYPE_GRAY, 4, false},
        {"grey 8", PNG_COLOR_TYPE_GRAY, 8, false},
        {"grey 16", PNG_COLOR_TYPE_GRAY, 16, false},
        {"grey and alpha 8", PNG_COLOR_TYPE_GA, 8, false},
        {"grey and alpha 16", PNG_COLOR_TYPE_GA, 16, false},
        {"RGB 8", PNG_COLOR_TYPE_RGB, 8, false},
        {"RGB 16", PNG_COLOR_TYPE_RGB, 16, false},
        {"RGBA 8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
        {"RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false},
        {"palette 1", PNG_COLOR_TYPE_PALETTE, 1, false},
        {"palette 4", PNG_COLOR_TYPE_PALETTE, 4, false},
        {"palette 8 with alpha", PNG_COLOR_TYPE_PALETTE, 8, true},
    };
    for (const PngKind& kind : kinds) {
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(std::string(kind.what) + (interlaced ? ", interlaced" : ""));
            const PngDesc desc = PictureOf(kind, interlaced);
            const Bytes file = EncodePng(desc);
            Image image;
            std::string error;
            ASSERT_TRUE(DecodeImage(file.data(), file.size(), image, &error)) << error;
            const bool alpha = kind.colourType & PNG_COLOR_MASK_ALPHA || kind.paletteAlpha;
            EXPECT_EQ(image.format, alpha ? ImageFormat::A8R8G8B8 : ImageFormat::X8R8G8B8);
            ASSERT_EQ(image.width, desc.width);
            ASSERT_EQ(image.height, desc.height);
            const std::vector<std::uint32_t> want = PixelsOf(desc);
            int worst = 0;
            for (int y = 0; y < desc.height; ++y)
                for (int x = 0; x < desc.width; ++x)
                    worst = std::max(
                        worst, WorstChannelDifference(image.Level(0, 0).Pixel(x, y),
                                                      want[static_cast<std::size_t>(y * desc.width + x)]));
            // 16-bit samples may round either way on the way to 8 bits.
            EXPECT_LE(worst, kind.bitDepth == 16 ? 1 : 0);
        }
    }
}

TEST(ImageDecoding, JpegDecodesFlatBlocksCloseToTheirColours)
{
    // Two 16 x 16 blocks of flat colour at full quality come back within a
    // few steps per channel; the block centres are away from the seam.
    const int w = 32, h = 16;
    std::vector<std::uint32_t> pixels(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[y * w + x] = x < 16 ? 0xFFC83214 : 0xFF1464C8;
    for (bool grey : {false, true}) {
        Bytes file = EncodeJpeg(w, h, pixels, grey);
        Image image;
        std::string error;
        ASSERT_TRUE(DecodeImage(file.data(), file.size(), image, &error)) << error;
        EXPECT_EQ(image.format, ImageFormat::X8R8G8B8);
        ASSERT_EQ(image.width, w);
        ASSERT_EQ(image.height, h);
        auto near = [](std::uint32_t got, std::uint32_t want) {
            for (int shift = 0; shift < 32; shift += 8) {
                int a = static_cast<int>((got >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
                if (std::abs(a - b) > 3)
                    return false;
            }
            return true;
        };
        // The grey encoder is fed the blue byte as its level.
        std::uint32_t left = grey ? 0xFF141414 : 0xFFC83214;
        std::uint32_t right = grey ? 0xFFC8C8C8 : 0xFF1464C8;
        EXPECT_PRED2(near, image.Level(0, 0).Pixel(7, 8), left) << std::hex << image.Level(0, 0).Pixel(7, 8);
        EXPECT_PRED2(near, image.Level(0, 0).Pixel(24, 8), right)
            << std::hex << image.Level(0, 0).Pixel(24, 8);
    }
}

TEST(ImageDecoding, TgaVariantsGiveTheirPixelsTopRowFirst)
{
    std::vector<PixelCase> cases;
    // Bottom-up rows (descriptor 0): the first stored row is the lowest.
    cases.push_back(
        {"24-bit uncompressed, bottom-up",
         TgaHeader(2, 2, 2, 24, 0).Raw({0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF}).bytes,
         ImageFormat::X8R8G8B8,
         2,
         2,
         {0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00}});
    // A run of four crosses from the first row into the second.
    cases.push_back({"32-bit run-length, top-down",
                     TgaHeader(10, 3, 2, 32, 0x28)
                         .Raw({0x83, 0x10, 0x20, 0x30, 0x40})
                         .Raw({0x01, 0x01, 0x02, 0x03, 0x80, 0xAA, 0xBB, 0xCC, 0xFF})
                         .bytes,
                     ImageFormat::A8R8G8B8,
                     3,
                     2,
                     {0x40302010, 0x40302010, 0x40302010, 0x40302010, 0x80030201, 0xFFCCBBAA}});
    cases.push_back({"16-bit with an alpha bit",
                     TgaHeader(2, 2, 1, 16, 0x21).U16(0xFC00).U16(0x001F).bytes,
                     ImageFormat::A8R8G8B8,
                     2,
                     1,
                     {0xFFFF0000, 0x000000FF}});
    cases.push_back({"8-bit grey",
                     TgaHeader(3, 2, 1, 8, 0x20).Raw({0x00, 0x80}).bytes,
                     ImageFormat::X8R8G8B8,
                     2,
                     1,
                     {0xFF000000, 0xFF808080}});
    // Right-to-left: the first stored pixel is the rightmost.
    cases.push_back(
        {"colour-mapped, mirrored",
         TgaHeader(1, 2, 1, 8, 0x30, 2, 24).Raw({0x11, 0x22, 0x33, 0x44, 0x55, 0x66}).Raw({1, 0}).bytes,
         ImageFormat::X8R8G8B8,
         2,
         1,
         {0xFF332211, 0xFF665544}});
    for (const PixelCase& c : cases)
        ExpectPixels(c);
}

TEST(ImageDecoding, BmpVariantsGiveTheirPixelsTopRowFirst)
{
    std::vector<PixelCase> cases;
    // Rows of 9 bytes are padded to 12; the first stored row is the lowest.
    cases.push_back({"24-bit, padded rows, bottom-up",
                     BmpHeaders(3, 2, 24, 0, 54)
                         .Raw({0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0, 0})
                         .Raw({0xFF, 0xFF, 0xFF, 0, 0, 0, 0x56, 0x34, 0x12, 0, 0, 0})
                         .bytes,
                     ImageFormat::X8R8G8B8,
                     3,
                     2,
                     {0xFFFFFFFF, 0xFF000000, 0xFF123456, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}});
    cases.push_back({"32-bit with an alpha mask, top-down",
                     BmpHeaders(1, -2, 32, 6, 70)
                         .U32(0x00FF0000)
                         .U32(0x0000FF00)
                         .U32(0x000000FF)
                         .U32(0xFF000000)
                         .U32(0x80112233)
                         .U32(0x00FFFFFF)
                         .bytes,
                     ImageFormat::A8R8G8B8,
                     1,
                     2,
                     {0x80112233, 0x00FFFFFF}});
    cases.push_back({"32-bit without masks ignores the fourth byte",
                     BmpHeaders(1, 1, 32, 0, 54).Raw({1, 2, 3, 0}).bytes,
                     ImageFormat::X8R8G8B8,
                     1,
                     1,
                     {0xFF030201}});
    cases.push_back({"8-bit palette of two colours",
                     BmpHeaders(2, 2, 8, 0, 62, 2)
                         .Raw({0x10, 0x20, 0x30, 0, 0xFF, 0, 0, 0})
                         .Raw({1, 0, 0, 0, 0, 1, 0, 0})
                         .bytes,
                     ImageFormat::X8R8G8B8,
                     2,
                     2,
                     {0xFF302010, 0xFF0000FF, 0xFF0000FF, 0xFF302010}});
    cases.push_back({"16-bit 5-5-5",
                     BmpHeaders(2, -1, 16, 0, 54).U16(0x7C00).U16(0x03E0).bytes,
                     ImageFormat::X8R8G8B8,
                     2,
                     1,
                     {0xFFFF0000, 0xFF00FF00}});
    // Runs, absolute runs (padded to 16 bits), row ends and the picture's
    // end; rows from the bottom.
    cases.push_back(
        {"8-bit run-length",
         BmpHeaders(4, 2, 8, 1, 62, 2)
             .Raw({0x10, 0x20, 0x30, 0, 0xFF, 0, 0, 0})
             .Raw({4, 0, 0, 0})
             .Raw({1, 1, 0, 3, 0, 1, 0, 0, 0, 1})
             .bytes,
         ImageFormat::X8R8G8B8,
         4,
         2,
         {0xFF0000FF, 0xFF302010, 0xFF0000FF, 0xFF302010, 0xFF302010, 0xFF302010, 0xFF302010, 0xFF302010}});
    cases.push_back({"4-bit run-length",
                     BmpHeaders(5, 1, 4, 2, 62, 2)
                         .Raw({0x10, 0x20, 0x30, 0, 0xFF, 0, 0, 0})
                         .Raw({2, 0x10, 0, 3, 0x01, 0x10, 0, 1})
                         .bytes,
                     ImageFormat::X8R8G8B8,
                     5,
                     1,
                     {0xFF0000FF, 0xFF302010, 0xFF302010, 0xFF0000FF, 0xFF0000FF}});
    // A v4 header carries masks even when the pixels are not bit fields;
    // they do not apply, so its alpha mask makes nothing transparent.
    Writer v4;
    v4.Text("BM").U32(0).U32(0).U32(14 + 108);
    v4.U32(108).U32(2).U32(1).U16(1).U16(16).U32(0).U32(0).U32(2835).U32(2835).U32(0).U32(0);
    v4.U32(0x7C00).U32(0x03E0).U32(0x001F).U32(0x8000).Zeros(108 - 56);
    v4.U16(0x7C00).U16(0x801F);
    cases.push_back(
        {"16-bit with a v4 header", v4.bytes, ImageFormat::X8R8G8B8, 2, 1, {0xFFFF0000, 0xFF0000FF}});
    for (const PixelCase& c : cases)
        ExpectPixels(c);
}

TEST(ImageDecoding, DdsUncompressedFormatsConvertThroughTheirMasks)
{
    std::vector<PixelCase> cases;
    DdsDesc argb;
    argb.width = 2;
    argb.height = 1;
    argb.pfFlags = 0x41;
    argb.bitCount = 32;
    argb.masks[0] = 0x00FF0000;
    argb.masks[1] = 0x0000FF00;
    argb.masks[2] = 0x000000FF;
    argb.masks[3] = 0xFF000000;
    cases.push_back({"A8R8G8B8",
                     DdsHeader(argb).U32(0x80FF0000).U32(0x0000FF00).bytes,
                     ImageFormat::A8R8G8B8,
                     2,
                     1,
                     {0x80FF0000, 0x0000FF00}});
    DdsDesc luminance;
    luminance.width = 2;
    luminance.height = 1;
    luminance.pfFlags = 0x20000;
    luminance.bitCount = 8;
    luminance.masks[0] = 0xFF;
    cases.push_back({"L8",
                     DdsHeader(luminance).Raw({0x00, 0x40}).bytes,
                     ImageFormat::X8R8G8B8,
                     2,
                     1,
                     {0xFF000000, 0xFF404040}});
    DdsDesc r5g6b5;
    r5g6b5.width = 1;
    r5g6b5.height = 1;
    r5g6b5.pfFlags = 0x40;
    r5g6b5.bitCount = 16;
    r5g6b5.masks[0] = 0xF800;
    r5g6b5.masks[1] = 0x07E0;
    r5g6b5.masks[2] = 0x001F;
    cases.push_back(
        {"R5G6B5", DdsHeader(r5g6b5).U16(0x07E0).bytes, ImageFormat::X8R8G8B8, 1, 1, {0xFF00FF00}});
    for (const PixelCase& c : cases)
        ExpectPixels(c);
}

TEST(ImageDecoding, DdsCubeMapKeepsEveryFaceAndLevelAsStored)
{
    // 8 x 8 DXT1: level 0 is 2 x 2 blocks of 8 bytes, level 1 one block.
    DdsDesc desc;
    desc.width = 8;
    desc.height = 8;
    desc.mipCount = 2;
    desc.caps2 = 0x200 | 0xFC00;
    Bytes payload(6 * (32 + 8));
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i);
    Bytes file = DdsHeader(desc).Raw(payload).bytes;

    Image image;
    std::string error;
    ASSERT_TRUE(DecodeImage(file.data(), file.size(), image, &error)) << error;
    EXPECT_EQ(image.format, ImageFormat::Dxt1);
    EXPECT_TRUE(image.IsCube());
    EXPECT_EQ(image.mipLevels, 2);
    ASSERT_EQ(image.levels.size(), 12u);
    const platform::ImageLevel& face3mip1 = image.Level(3, 1);
    EXPECT_EQ(face3mip1.width, 4);
    EXPECT_EQ(face3mip1.height, 4);
    EXPECT_EQ(face3mip1.bytes, Bytes(payload.begin() + 3 * 40 + 32, payload.begin() + 4 * 40));
    EXPECT_EQ(image.Level(5, 0).bytes, Bytes(payload.begin() + 5 * 40, payload.begin() + 5 * 40 + 32));

    // Without a mip count only the top level is read; DXT5 blocks are 16 bytes.
    DdsDesc dxt5;
    dxt5.width = 8;
    dxt5.height = 4;
    dxt5.fourCc = "DXT5";
    Bytes single = DdsHeader(dxt5).Zeros(32).bytes;
    ASSERT_TRUE(DecodeImage(single.data(), single.size(), image, &error)) << error;
    EXPECT_EQ(image.format, ImageFormat::Dxt5);
    EXPECT_EQ(image.mipLevels, 1);
    EXPECT_FALSE(image.IsCube());
    EXPECT_EQ(image.Level(0, 0).bytes.size(), 32u);
}

namespace {

// A PNG whose header claims another width, with the header's checksum
// mended so that only the size is wrong.
Bytes PngWithWidth(std::uint32_t width)
{
    Bytes file = EncodePng(1, 1, {0xFF000000}, false);
    // signature (8), chunk length (4), "IHDR" (4), then the width.
    for (int i = 0; i < 4; ++i)
        file[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
    uLong crc = crc32(0, file.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return file;
}

Bytes Cut(Bytes file, std::size_t keep)
{
    file.resize(keep);
    return file;
}

} // namespace

TEST(ImageDecoding, BadFilesFailWithAReasonAndNoAllocation)
{
    std::vector<std::uint32_t> grey(32 * 32, 0xFF808080);
    Bytes jpeg = EncodeJpeg(32, 32, grey, false);
    Bytes png = EncodePng(32, 32, grey, false);
    DdsDesc hugeDds;
    hugeDds.width = 0x7FFFFFFF;
    hugeDds.height = 4;
    DdsDesc tooManyMips;
    tooManyMips.width = 8;
    tooManyMips.height = 8;
    tooManyMips.mipCount = 40;
    DdsDesc fiveFaces;
    fiveFaces.caps2 = 0x200 | 0x7C00;
    DdsDesc bigDxt;
    bigDxt.width = 4096;
    bigDxt.height = 4096;
    DdsDesc ati2;
    ati2.fourCc = "ATI2";

    // The scan's first bytes, then the end marker at once: the data runs
    // out inside the file rather than at its end.
    auto ScanCutShort = [](const Bytes& file) {
        Bytes cut;
        for (std::size_t i = 0; i + 1 < file.size(); ++i) {
            if (file[i] == 0xFF && file[i + 1] == 0xDA) {
                const std::size_t header = (file[i + 2] << 8) | file[i + 3];
                cut.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(i + 2 + header + 4));
                break;
            }
        }
        cut.push_back(0xFF);
        cut.push_back(0xD9);
        return cut;
    };

    struct BadCase {
        const char* what;
        Bytes file;
        const char* reason;
    };
    std::vector<BadCase> cases = {
        {"empty", {}, "empty"},
        {"no known signature", Writer().Text("hello, world, this is text").bytes, "unrecognised"},
        {"JPEG cut in half", Cut(jpeg, jpeg.size() / 2), "JPEG data is corrupt or truncated"},
        {"JPEG with only its first bytes", Cut(jpeg, 20), "JPEG data is corrupt or truncated"},
        {"JPEG whose scan ends early at its end marker", ScanCutShort(jpeg),
         "JPEG data is corrupt or truncated"},
        {"PNG cut in half", Cut(png, png.size() / 2), "PNG"},
        {"PNG signature only", Cut(png, 8), "PNG header is corrupt"},
        {"PNG wider than any texture", PngWithWidth(9000), "impossible size"},
        {"TGA of 65535 x 65535", TgaHeader(2, 65535, 65535, 24, 0).Zeros(10).bytes, "impossible size"},
        {"TGA of 4000 x 4000 with ten bytes", TgaHeader(2, 4000, 4000, 24, 0).Zeros(10).bytes, "truncated"},
        {"run-length TGA of 8000 x 8000", TgaHeader(10, 8000, 8000, 32, 0).Raw({0xFF, 1, 2, 3, 4}).bytes,
         "truncated"},
        {"run-length TGA ending inside a packet",
         TgaHeader(10, 2, 2, 32, 0).Raw({0x03, 1, 2, 3, 4, 5, 6, 7, 8}).bytes, "truncated"},
        {"TGA with 12-bit pixels", TgaHeader(2, 2, 2, 12, 0).Zeros(16).bytes, "not supported"},
        {"BMP a billion pixels wide", BmpHeaders(1000000000, 1, 24, 0, 54).Zeros(8).bytes, "impossible size"},
        {"BMP of the most negative height",
         BmpHeaders(1, static_cast<int>(0x80000000u), 24, 0, 54).Zeros(8).bytes, "impossible size"},
        {"BMP without its pixels", BmpHeaders(100, 100, 24, 0, 54).bytes, "truncated"},
        {"BMP pixel offset past the end", BmpHeaders(1, 1, 24, 0, 0xFFFFFFF0u).Zeros(4).bytes, "truncated"},
        {"BMP header cut short", Cut(BmpHeaders(1, 1, 24, 0, 54).bytes, 30), "truncated"},
        {"run-length BMP stored top-down", BmpHeaders(2, -2, 8, 1, 54 + 1024).Zeros(1028).bytes, "top-down"},
        {"run-length BMP without its end", BmpHeaders(4, 2, 8, 1, 54 + 4, 1).Zeros(4).Raw({4, 0}).bytes,
         "truncated"},
        {"DDS 2^31 - 1 wide", DdsHeader(hugeDds).Zeros(16).bytes, "impossible size"},
        {"DDS with 40 mip levels on 8 x 8", DdsHeader(tooManyMips).Zeros(256).bytes, "mip levels"},
        {"DDS cube with five faces", DdsHeader(fiveFaces).Zeros(64).bytes, "six faces"},
        {"DDS of 4096 x 4096 with ten bytes", DdsHeader(bigDxt).Zeros(10).bytes, "truncated"},
        {"DDS header cut short", Cut(DdsHeader(DdsDesc()).bytes, 24), "header is truncated"},
        {"DDS of an unknown block format", DdsHeader(ati2).Zeros(16).bytes, "'ATI2' is not supported"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        Image image;
        std::string error;
        EXPECT_FALSE(DecodeImage(c.file.data(), c.file.size(), image, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(image.levels.empty());
        EXPECT_EQ(image.format, ImageFormat::Unknown);
    }
}

TEST(TextureSize, LoaderRulesForDefaultFileAndExplicitSizes)
{
    using platform::kTextureSizeDefault;
    using platform::kTextureSizeFromFile;
    const int D = kTextureSizeDefault, F = kTextureSizeFromFile;
    struct Case {
        int imageWidth, imageHeight, imageMips, width, height, mips;
        int wantWidth, wantHeight, wantMips;
    };
    const Case cases[] = {
        {640, 480, 1, D, D, D, 1024, 512, 11}, // 1024 halves ten times down to 1
        {256, 256, 1, D, D, 1, 256, 256, 1},   // "nomip"
        {300, 200, 1, F, F, D, 300, 200, 9},   // 300 150 75 37 18 9 4 2 1
        {1, 1, 1, D, D, D, 1, 1, 1},           {64, 64, 4, D, D, F, 64, 64, 4}, // the file's own chain
        {64, 32, 1, 0, 0, 0, 64, 32, 7},                                        // zero asks for the default
        {64, 64, 1, D, D, 20, 64, 64, 7}, // no more levels than the chain has
        {100, 100, 1, 128, 32, D, 128, 32, 8}, {513, 3, 1, D, D, D, 1024, 4, 11},
    };
    for (const Case& c : cases) {
        platform::TextureShape shape =
            platform::ChooseTextureShape(c.imageWidth, c.imageHeight, c.imageMips, c.width, c.height, c.mips);
        EXPECT_EQ(shape.width, c.wantWidth) << c.imageWidth << " x " << c.imageHeight;
        EXPECT_EQ(shape.height, c.wantHeight) << c.imageWidth << " x " << c.imageHeight;
        EXPECT_EQ(shape.mipLevels, c.wantMips) << c.imageWidth << " x " << c.imageHeight;
    }
}
