// Pictures as common tools write them (tests/fixtures/readers, made by
// tools/make-reader-corpus.sh) decode to the pixels those tools read back.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/BlockDecompression.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Image.h"
#include "platform/Texture.h"
#include "platform/TextureLoader.h"

using namespace platform;

namespace {

const std::string kCorpus = std::string(RS_FIXTURES_DIR) + "/readers/";

struct Expected {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

std::vector<std::uint8_t> FromHex(const std::string& hex)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<Expected> ExpectedPictures()
{
    std::vector<Expected> pictures;
    std::ifstream in(kCorpus + "expected.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, hex;
        Expected e;
        fields >> kind >> e.name >> e.width >> e.height >> hex;
        if (kind == "image") {
            e.rgba = FromHex(hex);
            pictures.push_back(e);
        }
    }
    return pictures;
}

std::vector<std::uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Block-compressed pictures are decoded with rounding of our own; the
// others agree to the last bit but for rounding of 16-bit samples.
int Tolerance(const std::string& name) { return name.find(".dds") != std::string::npos ? 8 : 1; }

} // namespace

TEST(ReaderCorpus, PicturesDecodeAsTheToolsThatWroteThemReadThem)
{
    const std::vector<Expected> pictures = ExpectedPictures();
    ASSERT_GE(pictures.size(), 8u);
    HeadlessGraphicsDevice device;
    for (const Expected& e : pictures) {
        SCOPED_TRACE(e.name);
        const std::vector<std::uint8_t> file = ReadFile(kCorpus + e.name);
        ASSERT_FALSE(file.empty());
        Image image;
        std::string error;
        ASSERT_TRUE(DecodeImage(file.data(), file.size(), image, &error)) << error;
        image = DecompressImage(image);
        ASSERT_EQ(image.width, e.width);
        ASSERT_EQ(image.height, e.height);
        ASSERT_EQ(e.rgba.size(), static_cast<std::size_t>(e.width * e.height * 4));
        const ImageLevel& level = image.Level(0, 0);
        const bool opaque = image.format == ImageFormat::X8R8G8B8;
        int worst = 0;
        for (int y = 0; y < e.height; ++y) {
            for (int x = 0; x < e.width; ++x) {
                const std::uint32_t argb = level.Pixel(x, y);
                const std::uint8_t* want = &e.rgba[static_cast<std::size_t>(y * e.width + x) * 4];
                const int got[4] = {static_cast<int>((argb >> 16) & 0xFF),
                                    static_cast<int>((argb >> 8) & 0xFF), static_cast<int>(argb & 0xFF),
                                    opaque ? 255 : static_cast<int>(argb >> 24)};
                for (int c = 0; c < 4; ++c)
                    worst = std::max(worst, std::abs(got[c] - want[c]));
            }
        }
        EXPECT_LE(worst, Tolerance(e.name));
        // And the texture loader makes a texture of it as it asks by default.
        Texture* texture = nullptr;
        EXPECT_EQ(CreateTextureFromFileInMemory(&device, file.data(), file.size(), {}, &texture, &error),
                  S_OK)
            << error;
        if (texture)
            texture->Release();
    }
}
