#include "Render/PTexture.h"
#include "Render/TextureBlock.h"
#include "Render/TextureLibrary.h"

#include <gtest/gtest.h>

#include <cstring>

#include "RenderTestFiles.h"
#include "core/GameSettings.h"
#include "platform/Texture.h"

using renderfiles::Bytes;
using renderfiles::DdsCube;
using renderfiles::RenderWorld;
using renderfiles::Tga;

namespace {

constexpr const char* kSource = "Render\\PTexture";
constexpr std::uint32_t kFaces[6] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFF000000, 0xFFFFFFFF, 0xFF808080};

// The data folder most texture tests read from.
void WriteTextures(RenderWorld& world)
{
    world.WriteTexture("wall.tga", Tga(4, 4, 0xFF112233));
    world.WriteTexture("only.jpg", Tga(8, 2, 0xFF445566)); // the loader goes by content
    world.WriteTexture("error.tga", Tga(2, 2, 0xFFFF00FF));
    world.WriteTexture("broken.tga", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'});
    world.WriteTexture("sky.dds", DdsCube(4, kFaces));
    Bytes huge = Tga(1, 1, 0); // a header of 4000 x 4000 with one pixel behind it
    huge[12] = 4000 & 0xFF;
    huge[13] = 4000 >> 8;
    huge[14] = 4000 & 0xFF;
    huge[15] = 4000 >> 8;
    world.WriteTexture("huge.tga", huge);
    world.folder.Write("Data/Textures/dir.tga/inside.txt", "a folder, not a picture");
    world.WriteTexture("dir.jpg", Tga(16, 16, 0xFF000000));
}

// Restores the texture value after a test changes it.
struct TextureValue {
    explicit TextureValue(std::int32_t value) : saved(GetGameSettings().textureValue)
    {
        GetGameSettings().textureValue = value;
    }
    ~TextureValue() { GetGameSettings().textureValue = saved; }
    std::int32_t saved;
};

} // namespace

TEST(TextureLibrary, LoadsByNameWithOptionsAndFallbacks)
{
    struct Case {
        const char* request;
        const char* loadedName; // the name of the texture that stands under the request
        bool cube;
        int width;
        int levels;     // of the 2-D texture; 0 for a cube
        int reportLine; // 0: no failure report
    };
    const Case cases[] = {
        {"wall.tga", "wall.tga", false, 4, 3, 0},
        {"wall.tga,nomip", "wall.tga,nomip", false, 4, 1, 0},
        {"only.tga", "only.tga", false, 8, 4, 0}, // wall.tga missing: only.jpg read
        {"dir.tga", "dir.tga", false, 16, 5, 0},  // a folder of that name is no file
        {"sky.dds,cube", "sky.dds,cube", true, 4, 0, 0},
        {"missing.tga", "error.tga", false, 2, 2, 0},     // neither file: the stand-in
        {"broken.tga", "error.tga", false, 2, 2, 138},    // not a picture: reported
        {"huge.tga", "error.tga", false, 2, 2, 138},      // truncated picture: reported
        {"wall.tga,cube", "error.tga", false, 2, 2, 107}, // a flat picture is no cube
        {"ab", "error.tga", false, 2, 2, 0},              // shorter than the extension
        {"", "error.tga", false, 2, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        RenderWorld world;
        WriteTextures(world);
        CPTextureLibrary library;
        CPTexture* texture = library.GetTexture(c.request);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetName(), c.loadedName);
        EXPECT_EQ(texture->IsCube(), c.cube);
        EXPECT_EQ(texture->GetWidth(), c.width);
        if (c.cube) {
            EXPECT_EQ(texture->GetTexture(), nullptr);
            ASSERT_NE(texture->GetCubeTexture(), nullptr);
            EXPECT_EQ(texture->GetCubeTexture()->GetLevelCount(), 3u);
        } else {
            EXPECT_EQ(texture->GetCubeTexture(), nullptr);
            ASSERT_NE(texture->GetTexture(), nullptr);
            EXPECT_EQ(texture->GetTexture()->GetLevelCount(), static_cast<std::uint32_t>(c.levels));
        }
        EXPECT_EQ(world.CountReports(kSource, 107) + world.CountReports(kSource, 138), c.reportLine ? 1 : 0);
        if (c.reportLine) {
            EXPECT_EQ(world.CountReports(kSource, c.reportLine), 1);
        }
        if (std::string(c.loadedName) == "error.tga") {
            EXPECT_TRUE(world.log.Contains(std::string("Texture \"") + c.request + "\" cannot be loaded"));
        }

        // A name is tried once: asking again gives the same texture and
        // reads or reports nothing more.
        const std::string logBefore = world.log.Text();
        EXPECT_EQ(library.GetTexture(c.request), texture);
        EXPECT_EQ(world.log.Text(), logBefore);
        EXPECT_EQ(library.GetTextureCount(), 1u);
    }
}

TEST(TextureLibrary, PicturesLandInTheTexturesPixelForPixel)
{
    RenderWorld world;
    WriteTextures(world);
    CPTextureLibrary library;
    const platform::Texture* wall = library.GetTexture("wall.tga")->GetTexture();
    const std::uint8_t* bytes = AsMemory(wall)->GetLevelBytes(0);
    EXPECT_EQ(bytes[0], 0x33); // B, G, R, A
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0xFF);

    const platform::CubeTexture* sky = library.GetTexture("sky.dds,cube")->GetCubeTexture();
    for (std::uint32_t face = 0; face < 6; ++face) {
        std::uint32_t first = 0;
        std::memcpy(&first, AsMemory(sky)->GetLevelBytes(face, 0), 4);
        EXPECT_EQ(first, kFaces[face]) << "face " << face;
    }
}

TEST(TextureLibrary, TextureValueSetsTheDetailOfMipmappedFlatTexturesOnly)
{
    RenderWorld world;
    WriteTextures(world);
    {
        TextureValue value(2);
        CPTextureLibrary library;
        const platform::Texture* mipmapped = library.GetTexture("wall.tga")->GetTexture();
        EXPECT_EQ(AsMemory(mipmapped)->GetLODSetCount(), 1u);
        EXPECT_EQ(mipmapped->GetLOD(), 2u);
        EXPECT_EQ(AsMemory(library.GetTexture("wall.tga,nomip")->GetTexture())->GetLODSetCount(), 0u);
        EXPECT_NE(library.GetTexture("sky.dds,cube")->GetCubeTexture(), nullptr);
    }
    {
        TextureValue value(-1);
        CPTextureLibrary library;
        EXPECT_EQ(AsMemory(library.GetTexture("wall.tga")->GetTexture())->GetLODSetCount(), 0u);
    }
}

TEST(TextureLibrary, BlocksAreSharedBySequenceOfTextures)
{
    RenderWorld world;
    WriteTextures(world);
    CPTextureLibrary library;
    CPTextureBlock* ab = library.GetTextureBlock({"wall.tga", "only.tga"});
    EXPECT_EQ(library.GetTextureBlock({"wall.tga", "only.tga"}), ab);
    CPTextureBlock* ba = library.GetTextureBlock({"only.tga", "wall.tga"});
    EXPECT_NE(ba, ab);
    CPTextureBlock* a = library.GetTextureBlock({"wall.tga"});
    EXPECT_NE(a, ab);
    EXPECT_EQ(library.GetBlockCount(), 3u);
    EXPECT_EQ(library.GetTextureCount(), 2u);
    ASSERT_EQ(ab->GetTextureCount(), 2);
    EXPECT_EQ(ab->GetTexture(0), library.GetTexture("wall.tga"));
    EXPECT_EQ(ab->GetTexture(1), library.GetTexture("only.tga"));
    EXPECT_EQ(ab->GetTexture(2), nullptr);

    // Two names that fail alike still hold textures of their own.
    CPTextureBlock* failed = library.GetTextureBlock({"missing1.tga", "missing2.tga"});
    EXPECT_NE(failed->GetTexture(0), failed->GetTexture(1));

    // A block that goes leaves the list, and only its own entry.
    delete ba;
    EXPECT_EQ(library.GetBlockCount(), 3u);
    EXPECT_EQ(library.GetTextureBlock({"wall.tga", "only.tga"}), ab);
}

TEST(TextureLibrary, EverythingItMadeGoesWithIt)
{
    RenderWorld world;
    WriteTextures(world);
    {
        CPTextureLibrary library;
        library.GetTextureBlock({"wall.tga", "sky.dds,cube", "missing.tga"});
        EXPECT_EQ(world.device.GetLiveResourceCount(), 3u);
    }
    EXPECT_EQ(world.device.GetLiveResourceCount(), 0u);
}

TEST(TextureLibrary, ATextureThatGoesRemovesOnlyItsOwnEntry)
{
    RenderWorld world;
    WriteTextures(world);
    CPTextureLibrary library;
    CPTexture* wall = library.GetTexture("wall.tga");

    // Another texture of the same name, made outside the library, goes
    // without touching the library's entry.
    auto* stray = new CPTexture;
    ASSERT_TRUE(stray->Load("wall.tga"));
    delete stray;
    EXPECT_EQ(library.FindTexture("wall.tga"), wall);

    delete wall;
    EXPECT_EQ(library.FindTexture("wall.tga"), nullptr);
    EXPECT_EQ(world.device.GetLiveResourceCount(), 0u);
}

TEST(TextureLibrary, VideoFramesStayWithTheirPlayers)
{
    RenderWorld world;
    WriteTextures(world);
    platform::Texture* frame = nullptr;
    platform::Texture* frame1 = nullptr;
    ASSERT_EQ(world.device.CreateTexture(1024, 512, 1, 0, platform::PixelFormat::R5G6B5,
                                         platform::ResourcePool::Managed, &frame),
              S_OK);
    ASSERT_EQ(world.device.CreateTexture(64, 64, 1, 0, platform::PixelFormat::X8R8G8B8,
                                         platform::ResourcePool::Managed, &frame1),
              S_OK);
    {
        CPTextureLibrary library;
        // A material asked for the first player's video; the second player
        // publishes before any material asked.
        CPTexture* entry = library.GetTexture("video");
        EXPECT_EQ(entry->GetName(), "error.tga");
        EXPECT_EQ(library.PublishVideoTexture("video", "VIDEO", frame), entry);
        EXPECT_EQ(entry->GetTexture(), frame);
        EXPECT_EQ(entry->GetName(), "VIDEO");
        EXPECT_EQ(entry->GetWidth(), 1024);
        CPTexture* entry1 = library.PublishVideoTexture("video1", "VIDEO1", frame1);
        EXPECT_EQ(library.FindTexture("video1"), entry1);
        EXPECT_EQ(entry1->GetTexture(), frame1);
        // Publishing again swaps frames without releasing the player's own.
        EXPECT_EQ(library.PublishVideoTexture("video", "VIDEO", frame), entry);

        // Only the players' frames are left: the stand-in the entry held is gone.
        EXPECT_EQ(world.device.GetLiveResourceCount(), 2u);

        // Another texture named "VIDEO" that goes leaves the entry and the frame.
        auto* other = new CPTexture;
        other->ShowVideo(frame, "VIDEO");
        delete other;
        EXPECT_EQ(library.FindTexture("video"), entry);
        EXPECT_EQ(world.device.GetLiveResourceCount(), 2u);

        // A texture that showed a frame and then loads a picture of its own
        // lets go of the picture only.
        auto* reused = new CPTexture;
        reused->ShowVideo(frame1, "VIDEO1");
        ASSERT_TRUE(reused->Load("wall.tga"));
        EXPECT_EQ(world.device.GetLiveResourceCount(), 3u);
        delete reused;
        EXPECT_EQ(world.device.GetLiveResourceCount(), 2u);
    }
    // Neither frame was released by the library: each player releases its own once.
    EXPECT_EQ(world.device.GetLiveResourceCount(), 2u);
    EXPECT_EQ(frame->Release(), 0u);
    EXPECT_EQ(frame1->Release(), 0u);
    EXPECT_EQ(world.device.GetLiveResourceCount(), 0u);
}

TEST(TextureLibrary, WithoutTheStandInTheNameStillGetsAnEntry)
{
    RenderWorld world; // no error.tga
    CPTextureLibrary library;
    CPTexture* texture = library.GetTexture("missing.tga");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetTexture(), nullptr);
    EXPECT_TRUE(world.log.Contains("nor can \"error.tga\""));
    EXPECT_EQ(library.GetTexture("missing.tga"), texture);
}
