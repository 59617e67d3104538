#include "platform/ImageFitting.h"

#include <gtest/gtest.h>

using platform::Image;
using platform::ImageFormat;
using platform::ImageLevel;

namespace {

ImageLevel Row(std::initializer_list<std::uint32_t> pixels)
{
    Image image = platform::MakeImage(static_cast<int>(pixels.size()), 1);
    int x = 0;
    for (std::uint32_t p : pixels)
        image.levels[0].SetPixel(x++, 0, p);
    return image.levels[0];
}

std::vector<std::uint32_t> Pixels(const ImageLevel& level)
{
    std::vector<std::uint32_t> out;
    for (int y = 0; y < level.height; ++y)
        for (int x = 0; x < level.width; ++x)
            out.push_back(level.Pixel(x, y));
    return out;
}

} // namespace

TEST(ImageFitting, TriangleFilterShrinksAndGrowsByItsWeights)
{
    // Halving: taps 1/8, 3/8, 3/8, 1/8 around each new centre, clamped at
    // the edges: (0*(1/8+3/8) + 80*3/8 + 160*1/8) = 50 and
    // (80*1/8 + 160*3/8 + 240*(3/8+1/8)) = 190.
    ImageLevel shrunk = platform::ResampleLevel(Row({0xFF000000, 0xFF500000, 0xFFA00000, 0xFFF00000}), 2, 1);
    EXPECT_EQ(Pixels(shrunk), (std::vector<std::uint32_t>{0xFF320000, 0xFFBE0000}));
    // Doubling interpolates at 1/4 and 3/4 between the two pixels.
    ImageLevel grown = platform::ResampleLevel(Row({0x00000000, 0xC8C8C8C8}), 4, 1);
    EXPECT_EQ(Pixels(grown), (std::vector<std::uint32_t>{0x00000000, 0x32323232, 0x96969696, 0xC8C8C8C8}));
}

TEST(ImageFitting, DefaultShapeScalesToPowersOfTwoAndBuildsTheChain)
{
    Image image = platform::MakeImage(3, 2, ImageFormat::X8R8G8B8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.levels[0].SetPixel(x, y, 0xFF336699);
    platform::TextureShape shape = platform::ChooseTextureShape(
        3, 2, 1, platform::kTextureSizeDefault, platform::kTextureSizeDefault, platform::kTextureSizeDefault);
    Image fitted;
    std::string error;
    ASSERT_TRUE(platform::FitImageToShape(image, shape, fitted, &error)) << error;
    EXPECT_EQ(fitted.format, ImageFormat::X8R8G8B8);
    ASSERT_EQ(fitted.mipLevels, 3);
    const int sizes[3][2] = {{4, 2}, {2, 1}, {1, 1}};
    for (int mip = 0; mip < 3; ++mip) {
        const ImageLevel& level = fitted.Level(0, mip);
        EXPECT_EQ(level.width, sizes[mip][0]);
        EXPECT_EQ(level.height, sizes[mip][1]);
        for (std::uint32_t p : Pixels(level))
            EXPECT_EQ(p, 0xFF336699u) << "level " << mip; // a flat picture stays flat
    }
}

TEST(ImageFitting, StoredLevelsAreKeptAndMissingOnesFiltered)
{
    Image image;
    image.format = ImageFormat::A8R8G8B8;
    image.width = image.height = 4;
    image.mipLevels = 2;
    image.faces = 1;
    image.levels.push_back(platform::MakeImage(4, 4).levels[0]); // all zero
    ImageLevel second = platform::MakeImage(2, 2).levels[0];
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            second.SetPixel(x, y, 0xFF0000FF);
    image.levels.push_back(second);

    Image fitted;
    ASSERT_TRUE(platform::FitImageToShape(image, {4, 4, 3}, fitted));
    EXPECT_EQ(Pixels(fitted.Level(0, 1)),
              std::vector<std::uint32_t>(4, 0xFF0000FF));                          // the file's, not filtered
    EXPECT_EQ(Pixels(fitted.Level(0, 2)), std::vector<std::uint32_t>{0xFF0000FF}); // made from level 1
}

TEST(ImageFitting, CompressedPicturesKeepTheirBlocksOrFail)
{
    Image cube;
    cube.format = ImageFormat::Dxt1;
    cube.width = cube.height = 8;
    cube.mipLevels = 2;
    cube.faces = 6;
    for (int face = 0; face < 6; ++face)
        for (int mip = 0; mip < 2; ++mip) {
            ImageLevel level;
            level.width = level.height = 8 >> mip;
            level.bytes.assign(platform::LevelByteSize(ImageFormat::Dxt1, level.width, level.height),
                               static_cast<std::uint8_t>(face * 2 + mip));
            cube.levels.push_back(level);
        }
    Image fitted;
    std::string error;
    ASSERT_TRUE(platform::FitImageToShape(cube, {8, 8, 4}, fitted, &error)) << error;
    EXPECT_EQ(fitted.mipLevels, 2); // no more than the file stores
    EXPECT_TRUE(fitted.IsCube());
    EXPECT_EQ(fitted.Level(4, 1).bytes, cube.Level(4, 1).bytes);

    EXPECT_FALSE(platform::FitImageToShape(cube, {16, 16, 1}, fitted, &error));
    EXPECT_NE(error.find("DXT1 picture of 8 x 8 cannot be scaled to 16 x 16"), std::string::npos) << error;
    EXPECT_TRUE(fitted.levels.empty());
}
