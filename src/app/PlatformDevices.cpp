#include "app/PlatformDevices.h"

#include "platform/HeadlessGraphicsDevice.h"

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
    return devices;
}
