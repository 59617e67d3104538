#include "platform/TextureLoader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ImageFiles.h"
#include "platform/HeadlessGraphicsDevice.h"

using namespace platform;
using namespace imagefiles;

namespace {

// A 4 x 2 bottom-up 24-bit TGA; pixels given top row first as 0xRRGGBB.
Bytes Tga4x2(const std::uint32_t (&rgb)[8])
{
    Writer file = TgaHeader(2, 4, 2, 24, 0);
    for (int row = 1; row >= 0; --row)
        for (int x = 0; x < 4; ++x) {
            const std::uint32_t p = rgb[row * 4 + x];
            file.U8(p & 0xFF).U8((p >> 8) & 0xFF).U8((p >> 16) & 0xFF);
        }
    return file.bytes;
}

std::uint32_t TexturePixel(const Texture& shown, std::uint32_t level, int x, int y)
{
    const MemoryTexture& texture = *AsMemory(&shown);
    std::uint32_t value = 0;
    std::memcpy(&value, texture.GetLevelBytes(level) + y * texture.GetLevelPitch(level) + x * 4, 4);
    return value;
}

// An 8 x 8 DXT1 cube map with two stored levels; byte i of the payload is i.
Bytes Dxt1Cube(Bytes& payload)
{
    DdsDesc desc;
    desc.width = 8;
    desc.height = 8;
    desc.mipCount = 2;
    desc.caps2 = 0x200 | 0xFC00;
    payload.assign(6 * (32 + 8), 0);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i);
    return DdsHeader(desc).Raw(payload).bytes;
}

} // namespace

TEST(CubeTexture, SixFacesOfOneChainLockedFaceByFace)
{
    HeadlessGraphicsDevice device;
    CubeTexture* cube = nullptr;
    ASSERT_EQ(device.CreateCubeTexture(8, 0, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &cube), S_OK);
    EXPECT_EQ(cube->GetLevelCount(), 4u);
    SurfaceDesc desc;
    ASSERT_EQ(cube->GetLevelDesc(3, &desc), S_OK);
    EXPECT_EQ(desc.width, 1u);
    EXPECT_EQ(cube->GetLevelDesc(4, &desc), kInvalidCall);

    LockedRect locked;
    ASSERT_EQ(cube->LockRect(5, 1, &locked, nullptr, 0), S_OK);
    EXPECT_EQ(locked.pitch, 16);
    std::memset(locked.bits, 0xAB, 16 * 4);
    EXPECT_TRUE(cube->IsLevelLocked(5, 1));
    EXPECT_FALSE(cube->IsLevelLocked(4, 1));
    EXPECT_EQ(cube->UnlockRect(5, 1), S_OK);
    EXPECT_EQ(AsMemory(cube)->GetLevelBytes(5, 1)[63], 0xAB);
    EXPECT_EQ(AsMemory(cube)->GetLevelBytes(4, 1)[0], 0x00);
    EXPECT_EQ(cube->LockRect(6, 0, &locked, nullptr, 0), kInvalidCall);

    EXPECT_EQ(device.GetLiveResourceCount(), 1u);
    cube->Release();
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);

    device.FailNext(DeviceFailure::CreateCubeTexture);
    EXPECT_EQ(device.CreateCubeTexture(8, 0, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &cube),
              kOutOfVideoMemory);
    EXPECT_EQ(cube, nullptr);
    EXPECT_EQ(device.CreateCubeTexture(8, 5, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &cube),
              kInvalidCall);
}

TEST(Texture, LevelOfDetailIsCutToTheLastLevel)
{
    HeadlessGraphicsDevice device;
    Texture* texture = nullptr;
    ASSERT_EQ(device.CreateTexture(4, 4, 0, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &texture), S_OK);
    EXPECT_EQ(texture->SetLOD(1), 0u);
    EXPECT_EQ(texture->SetLOD(9), 1u);
    EXPECT_EQ(texture->GetLOD(), 2u); // three levels: 4, 2, 1
    EXPECT_EQ(AsMemory(texture)->GetLODSetCount(), 2u);
    texture->Release();
}

TEST(TextureLoader, FlatPictureBecomesATextureOfTheRequestedShape)
{
    HeadlessGraphicsDevice device;
    const std::uint32_t rgb[8] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                  0x000000, 0x102030, 0x405060, 0x708090};
    const Bytes file = Tga4x2(rgb);

    Texture* texture = nullptr;
    std::string error;
    ASSERT_EQ(CreateTextureFromFileInMemory(&device, file.data(), file.size(), {}, &texture, &error), S_OK)
        << error;
    EXPECT_EQ(texture->GetFormat(), PixelFormat::X8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 3u); // 4x2, 2x1, 1x1
    EXPECT_EQ(texture->GetPool(), ResourcePool::Managed);
    EXPECT_EQ(TexturePixel(*texture, 0, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(TexturePixel(*texture, 0, 3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(TexturePixel(*texture, 0, 1, 1), 0xFF102030u);
    texture->Release();

    TextureFileRequest single;
    single.mipLevels = 1;
    ASSERT_EQ(CreateTextureFromFileInMemory(&device, file.data(), file.size(), single, &texture), S_OK);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    texture->Release();

    // 3 x 5 rounds up to 4 x 8.
    Bytes odd = TgaHeader(2, 3, 5, 24, 0).Zeros(3 * 5 * 3).bytes;
    ASSERT_EQ(CreateTextureFromFileInMemory(&device, odd.data(), odd.size(), {}, &texture), S_OK);
    SurfaceDesc desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.width, 4u);
    EXPECT_EQ(desc.height, 8u);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    texture->Release();
}

TEST(TextureLoader, CubeFileFillsEveryFaceAsStored)
{
    HeadlessGraphicsDevice device;
    Bytes payload;
    const Bytes file = Dxt1Cube(payload);
    CubeTexture* cube = nullptr;
    std::string error;
    ASSERT_EQ(CreateCubeTextureFromFileInMemory(&device, file.data(), file.size(), {}, &cube, &error), S_OK)
        << error;
    EXPECT_EQ(cube->GetFormat(), PixelFormat::Dxt1);
    EXPECT_EQ(cube->GetLevelCount(), 2u); // compressed pictures keep their stored levels
    EXPECT_EQ(Bytes(AsMemory(cube)->GetLevelBytes(3, 1), AsMemory(cube)->GetLevelBytes(3, 1) + 8),
              Bytes(payload.begin() + 3 * 40 + 32, payload.begin() + 4 * 40));
    EXPECT_EQ(Bytes(AsMemory(cube)->GetLevelBytes(5, 0), AsMemory(cube)->GetLevelBytes(5, 0) + 32),
              Bytes(payload.begin() + 5 * 40, payload.begin() + 5 * 40 + 32));
    cube->Release();
}

TEST(TextureLoader, UnusablePicturesAndRefusalsFailCleanly)
{
    HeadlessGraphicsDevice device;
    const std::uint32_t rgb[8] = {};
    const Bytes flat = Tga4x2(rgb);
    Bytes payload;
    const Bytes cubeFile = Dxt1Cube(payload);
    const Bytes garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    const Bytes truncatedTga = TgaHeader(2, 4000, 4000, 24, 0).Zeros(10).bytes;

    Texture* texture = nullptr;
    CubeTexture* cube = nullptr;
    std::string error;
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, garbage.data(), garbage.size(), {}, &texture, &error),
              kInvalidData);
    EXPECT_EQ(texture, nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, truncatedTga.data(), truncatedTga.size(), {}, &texture),
              kInvalidData);
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, cubeFile.data(), cubeFile.size(), {}, &texture),
              kInvalidData);
    EXPECT_EQ(CreateCubeTextureFromFileInMemory(&device, flat.data(), flat.size(), {}, &cube), kInvalidData);
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, nullptr, 0, {}, &texture), kInvalidData);

    device.FailNext(DeviceFailure::CreateTexture);
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, flat.data(), flat.size(), {}, &texture),
              kOutOfVideoMemory);
    device.FailNext(DeviceFailure::Lock);
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, flat.data(), flat.size(), {}, &texture), kInvalidCall);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);
}

namespace {

// A DDS of one level of block-compressed data.
Bytes DxtFile(const char* fourCc, std::uint32_t width, std::uint32_t height, const Bytes& blocks)
{
    DdsDesc desc;
    desc.fourCc = fourCc;
    desc.width = width;
    desc.height = height;
    return DdsHeader(desc).Raw(blocks).bytes;
}

// The pixel at (x, y) of level 0 of a 32-bit texture.
std::uint32_t TexturePixel(Texture& texture, int x, int y)
{
    SurfaceDesc desc;
    texture.GetLevelDesc(0, &desc);
    LockedRect locked;
    EXPECT_EQ(texture.LockRect(0, &locked, nullptr, 0), S_OK);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, static_cast<const std::uint8_t*>(locked.bits) + y * locked.pitch + x * 4, 4);
    texture.UnlockRect(0);
    return pixel;
}

} // namespace

TEST(TextureLoader, BlocksThatCannotBeKeptAreDecodedToPixels)
{
    HeadlessGraphicsDevice device;
    // One DXT1 block: colour 0 pure red (0xF800), colour 1 pure blue
    // (0x001F), every index 0, so the block is red.
    const Bytes red = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0};
    // DXT2 (premultiplied DXT3): alpha 5/15 = 0x55 everywhere over colour
    // 0 = green 21 of 63 = 0x55 premultiplied, so straight green is 0xFF.
    Bytes third = {0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0xA0, 0x02, 0x00, 0x00, 0, 0, 0, 0};
    struct Case {
        const char* what;
        Bytes file;
        std::uint32_t width, height;
        std::uint32_t pixel;
    } cases[] = {
        // 3 x 3 rounds up to 4 x 4: blocks cannot be scaled.
        {"DXT1 of 3 x 3", DxtFile("DXT1", 3, 3, red), 4, 4, 0xFFFF0000},
        {"DXT2 of 4 x 4", DxtFile("DXT2", 4, 4, third), 4, 4, 0x5500FF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Texture* texture = nullptr;
        std::string error;
        ASSERT_EQ(CreateTextureFromFileInMemory(&device, c.file.data(), c.file.size(), {}, &texture, &error),
                  S_OK)
            << error;
        EXPECT_EQ(texture->GetFormat(), PixelFormat::A8R8G8B8);
        SurfaceDesc desc;
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.width, c.width);
        EXPECT_EQ(desc.height, c.height);
        EXPECT_EQ(TexturePixel(*texture, 0, 0), c.pixel);
        texture->Release();
    }
    // Asked for blocks, a picture that would need scaling is still refused.
    TextureFileRequest blocks;
    blocks.format = PixelFormat::Dxt1;
    Texture* texture = nullptr;
    const Bytes odd = DxtFile("DXT1", 3, 3, red);
    EXPECT_EQ(CreateTextureFromFileInMemory(&device, odd.data(), odd.size(), blocks, &texture), kInvalidData);
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);
}
