#pragma once

#include <memory>
#include <string>

#include "platform/GraphicsTypes.h"

namespace platform {
class GraphicsDevice;
class HeadlessGraphicsDevice;
class HeadlessSoundDevice;
class HeadlessInputDevice;
class InputDevice;
class SoundDevice;
} // namespace platform

// The devices the game runs on. The host asks one factory for them and
// hands the engine only the interfaces; which implementation stands behind
// them is decided here and nowhere else.
struct PlatformDevices {
    PlatformDevices();
    ~PlatformDevices();
    PlatformDevices(PlatformDevices&&) noexcept;
    PlatformDevices& operator=(PlatformDevices&&) noexcept;

    std::unique_ptr<platform::GraphicsDevice> graphics;
    std::unique_ptr<platform::SoundDevice> sound;
    std::unique_ptr<platform::InputDevice> input;

    // Set when the devices are the headless ones: what they recorded, for
    // the host's summary and for tests. Null for any other implementation.
    platform::HeadlessGraphicsDevice* headlessGraphics = nullptr;
    platform::HeadlessSoundDevice* headlessSound = nullptr;
    // The headless input is fed by the host or a test.
    platform::HeadlessInputDevice* headlessInput = nullptr;
};

// The headless devices: real buffers and decoding, every call recorded,
// nothing shown or heard.
PlatformDevices MakeHeadlessDevices(const platform::PresentParameters& screen);

// Puts the sound that is heard (and decoded music) in place of the
// headless sound. False with the reason in *why when no output device
// opens; the headless sound then stays.
bool UseHeardSound(PlatformDevices& devices, std::string* why);
