#include "app/PlatformDevices.h"

#include "core/GameSettings.h"
#include "core/SettingsFile.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/HeadlessSoundDevice.h"
#include "platform/OpenALSoundDevice.h"
#if RS_HAVE_WINDOW
#include "platform/gl/GlGraphicsDevice.h"
#include "platform/gl/SdlInputDevice.h"
#include "platform/gl/SdlWindow.h"
#endif

PlatformDevices::PlatformDevices() = default;
PlatformDevices::~PlatformDevices() = default;
PlatformDevices::PlatformDevices(PlatformDevices&&) noexcept = default;
PlatformDevices& PlatformDevices::operator=(PlatformDevices&&) noexcept = default;

PlatformDevices MakeHeadlessDevices(const platform::PresentParameters& screen)
{
    PlatformDevices devices;
    auto graphics = std::make_unique<platform::HeadlessGraphicsDevice>(screen);
    devices.headlessGraphics = graphics.get();
    devices.graphics = std::move(graphics);
    auto sound = std::make_unique<platform::HeadlessSoundDevice>();
    devices.headlessSound = sound.get();
    devices.sound = std::move(sound);
    auto input = std::make_unique<platform::HeadlessInputDevice>();
    devices.headlessInput = input.get();
    devices.input = std::move(input);
    return devices;
}

bool UseHeardSound(PlatformDevices& devices, std::string* why)
{
    std::unique_ptr<platform::OpenALSoundDevice> heard = platform::OpenALSoundDevice::Open(why);
    if (!heard)
        return false;
    devices.headlessSound = nullptr;
    devices.sound = std::move(heard);
    return true;
}

PlatformDevices MakeWindowDevices(const platform::PresentParameters& screen, std::string* error)
{
    PlatformDevices devices;
#if RS_HAVE_WINDOW
    auto window = platform::SdlWindow::Open("RoadSprint", screen.backBufferWidth, screen.backBufferHeight,
                                            screen.windowed, error);
    if (!window)
        return devices;
    window->SetVerticalSync(screen.waitForVerticalSync);
    auto graphics = platform::GlGraphicsDevice::Create(std::move(window), screen, error);
    if (!graphics)
        return devices;
    devices.windowGraphics = graphics.get();
    devices.graphics = std::move(graphics);
    auto sound = std::make_unique<platform::HeadlessSoundDevice>();
    devices.headlessSound = sound.get();
    devices.sound = std::move(sound);
    auto input = std::make_unique<platform::SdlInputDevice>(screen.backBufferWidth, screen.backBufferHeight);
    devices.windowInput = input.get();
    devices.headlessInput = &input->GetState();
    devices.input = std::move(input);
#else
    (void)screen;
    *error = "this build has no window device (SDL2 and libepoxy were missing)";
#endif
    return devices;
}

bool PumpWindowEvents(PlatformDevices& devices)
{
#if RS_HAVE_WINDOW
    if (devices.windowInput)
        return devices.windowInput->PumpEvents();
#else
    (void)devices;
#endif
    return true;
}

std::uint64_t CountDraws(const PlatformDevices& devices)
{
    if (devices.headlessGraphics)
        return devices.headlessGraphics->GetDrawCount();
#if RS_HAVE_WINDOW
    if (devices.windowGraphics)
        return devices.windowGraphics->GetDrawCount();
#endif
    return 0;
}

bool SaveWindowScreenshot(const PlatformDevices& devices, const std::string& path, std::string* error)
{
#if RS_HAVE_WINDOW
    if (devices.windowGraphics)
        return devices.windowGraphics->SaveScreenshot(path, error);
#else
    (void)devices;
    (void)path;
#endif
    *error = "screenshots need the window device";
    return false;
}

bool SettingsAskFullscreen(const std::string& path)
{
    GameSettings others;
    std::int32_t fullscreen = 0;
    ReadSettingsFile(path, others, &fullscreen);
    return fullscreen != 0;
}
