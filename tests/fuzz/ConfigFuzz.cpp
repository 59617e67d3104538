// The settings file (config.cfg) the game reads its screen mode from.
#include "FuzzSupport.h"

#include "app/PlatformDevices.h"

std::vector<std::string> FuzzSeeds()
{
    return {"Fullscreen = 1\r\nMotionBlur = 0\r\nResolution = 1024x768\r\n", "Fullscreen = 0\r\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("config.cfg", data, size);
    SettingsAskFullscreen(FuzzRoot() + "/config.cfg");
    return 0;
}
