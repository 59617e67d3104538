#include "app/PlatformDevices.h"

#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessInputDevice.h"
#include "platform/HeadlessSoundDevice.h"
#include "platform/OpenALSoundDevice.h"

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
