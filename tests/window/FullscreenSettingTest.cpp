// The window's mode comes from the launcher's settings file.
#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

#include "app/PlatformDevices.h"

TEST(FullscreenSetting, ReadFromTheLauncherSettingsFile)
{
    const struct {
        const char* text;
        bool fullscreen;
    } cases[] = {
        {"Bloom = 1\r\nFullscreen = 1\r\nSmoke = 1\r\n", true},
        {"Fullscreen = 0\r\n", false},
        {"Fullscreen = 2\n", true},
        {"Fullscreen 1\r\n", false},     // not a "key = value" line
        {"FullscreenX = 1\r\n", false},  // another key
        {"Fullscreen = yes\r\n", false}, // not a number
        {"", false},
    };
    ScratchFolder folder;
    for (const auto& c : cases) {
        folder.Write("config.cfg", std::string(c.text));
        EXPECT_EQ(SettingsAskFullscreen(folder.Path("config.cfg")), c.fullscreen) << c.text;
    }
    EXPECT_FALSE(SettingsAskFullscreen(folder.Path("missing.cfg")));
}
