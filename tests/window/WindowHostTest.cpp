// The game host in a window on the test level: what a person would see.
#include <filesystem>
#include <map>

#include "WindowFixture.h"
#include "support/ScratchFolder.h"

#include "app/GameHost.h"
#include "platform/Dialog.h"
#include "platform/HeadlessGraphicsDevice.h"

#if RS_HAVE_WINDOW

TEST(WindowHost, TheTestLevelShowsItsGroundAndTheClearColour)
{
    PreferOffscreenVideo();
    IgnoreDriverLeaks ignoreLeaks;
    ScratchFolder data;
    std::filesystem::copy(RS_FIXTURES_DIR "/level", data.GetPath(), std::filesystem::copy_options::recursive);
    GameHost::Options options;
    options.frames = 3;
    options.dataRoot = data.GetPath();
    options.window = true;
    GameHost host(options);
    if (!host.HasWindow())
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << host.GetDeviceError();
    ASSERT_TRUE(host.StartLevel("sample"));
    EXPECT_EQ(host.Run(), 3);

    ScratchFolder shots;
    std::string error;
    ASSERT_TRUE(host.SaveScreenshot(shots.Path("frame.png"), &error)) << error;
    EXPECT_TRUE(shots.Exists("frame.png"));

    // The frame holds the clear colour the renderer asked for and the
    // ground, each over a broad band of rows. The test level has no sky, so
    // the level lights itself: its sun, straight down and nearly white, on
    // top of the ambient grey makes the white ground white.
    EXPECT_EQ(host.GetHeadlessDevice(), nullptr); // the window's device draws on its own
    auto* device = static_cast<platform::GlGraphicsDevice*>(&host.GetDevice());
    const std::uint32_t cleared = device->GetLastClearColor() & 0xFFFFFF;
    std::vector<std::uint8_t> frame;
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(device->ReadFrame(&frame, &width, &height));
    EXPECT_EQ(width, 640u);
    std::map<std::uint32_t, int> rows; // colour of a row's middle pixel -> rows
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* p = &frame[(y * width + width / 2) * 3];
        ++rows[(static_cast<std::uint32_t>(p[0]) << 16) | (p[1] << 8) | p[2]];
    }
    EXPECT_GT(rows[cleared], static_cast<int>(height) / 4);
    EXPECT_GT(rows[0xFFFFFF], static_cast<int>(height) / 4);
    platform::ClearPostedQuit();
}

#endif
