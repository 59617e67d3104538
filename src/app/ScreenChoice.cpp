#include "app/ScreenChoice.h"

#include "core/GameSettings.h"
#include "core/SettingsFile.h"

platform::PresentParameters ChooseScreen(const std::string& dataRoot, const ScreenRequest& request,
                                         bool window, GameSettings& settings)
{
    const GameSettings defaults;
    settings.screenWidth = defaults.screenWidth;
    settings.screenHeight = defaults.screenHeight;
    std::int32_t fullscreen = 0;
    if (window)
        ReadSettingsFile(dataRoot + "/config.cfg", settings, &fullscreen);
    if (request.width > 0 && request.height > 0 && IsScreenSizeAllowed(request.width, request.height)) {
        settings.screenWidth = request.width;
        settings.screenHeight = request.height;
    }
    if (request.fullscreen >= 0)
        fullscreen = request.fullscreen;
    platform::PresentParameters screen;
    screen.backBufferWidth = static_cast<std::uint32_t>(settings.screenWidth);
    screen.backBufferHeight = static_cast<std::uint32_t>(settings.screenHeight);
    screen.windowed = fullscreen == 0;
    return screen;
}
