// config.cfg read back into the setting variables: the screen size, the
// video options and the window mode, as the launcher writes them.
#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

#include "core/GameSettings.h"
#include "core/SettingsFile.h"

TEST(SettingsFile, ReadsTheScreenAndTheVideoOptionsTheLauncherWrites)
{
    const struct {
        const char* text;
        std::int32_t width, height, bloom, fullscreen;
    } cases[] = {
        {"Bloom = 0\r\nFullscreen = 1\r\nScreenHeight = 720\r\nScreenWidth = 1280\r\n", 1280, 720, 0, 1},
        {"ScreenWidth=1920\nScreenHeight =1080\n", 1920, 1080, 1, 0},              // spacing of hand edits
        {"ScreenWidth = 1280\r\n", 1280, 480, 1, 0},                               // the other side stays
        {"ScreenWidth = 100\r\nScreenHeight = 720\r\n", 640, 480, 1, 0},           // too small: refused whole
        {"ScreenWidth = 99999\r\nScreenHeight = 720\r\n", 640, 480, 1, 0},         // too large
        {"ScreenWidth = wide\r\nBloom = 0x1\r\nFullscreen 1\r\n", 640, 480, 1, 0}, // no whole numbers, no "="
        {"", 640, 480, 1, 0},
    };
    ScratchFolder folder;
    for (const auto& c : cases) {
        std::ofstream(folder.Path("config.cfg"), std::ios::binary) << c.text;
        GameSettings settings;
        std::int32_t fullscreen = 0;
        EXPECT_TRUE(ReadSettingsFile(folder.Path("config.cfg"), settings, &fullscreen)) << c.text;
        EXPECT_EQ(settings.screenWidth, c.width) << c.text;
        EXPECT_EQ(settings.screenHeight, c.height) << c.text;
        EXPECT_EQ(settings.bloom, c.bloom) << c.text;
        EXPECT_EQ(fullscreen, c.fullscreen) << c.text;
    }
    GameSettings untouched;
    untouched.screenWidth = 800;
    EXPECT_FALSE(ReadSettingsFile(folder.Path("missing.cfg"), untouched, nullptr));
    EXPECT_EQ(untouched.screenWidth, 800);
}

TEST(SettingsFile, ParsesAScreenSizeOfTheCommandLine)
{
    std::int32_t width = 0, height = 0;
    EXPECT_TRUE(ParseScreenSize("1280x720", &width, &height));
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    for (const char* bad :
         {"1280", "1280x", "x720", "1280*720", "1280x720x1", "-1280x720", "10x10", "1e3x720"}) {
        width = height = 7;
        EXPECT_FALSE(ParseScreenSize(bad, &width, &height)) << bad;
        EXPECT_EQ(width, 7) << bad;
    }
}
