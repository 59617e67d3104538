#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/GraphicsTypes.h"

namespace platform {
class GlGraphicsDevice;
class GraphicsDevice;
class HeadlessGraphicsDevice;
class HeadlessSoundDevice;
class HeadlessInputDevice;
class InputDevice;
class SdlInputDevice;
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

    // The headless graphics device and what it recorded, for the host's
    // summary and for tests; null in a window.
    platform::HeadlessGraphicsDevice* headlessGraphics = nullptr;
    platform::HeadlessSoundDevice* headlessSound = nullptr;
    // The input the host (from a recording) or a test feeds: the headless
    // device, or the state the window's events write.
    platform::HeadlessInputDevice* headlessInput = nullptr;
    // Set when the devices are the window's; null when headless.
    platform::GlGraphicsDevice* windowGraphics = nullptr;
    platform::SdlInputDevice* windowInput = nullptr;
};

// The headless devices: real buffers and decoding, every call recorded,
// nothing shown or heard.
PlatformDevices MakeHeadlessDevices(const platform::PresentParameters& screen);

// Puts the sound that is heard (and decoded music) in place of the
// headless sound. False with the reason in *why when no output device
// opens; the headless sound then stays.
bool UseHeardSound(PlatformDevices& devices, std::string* why);

// A window of the screen's size (full screen unless `screen.windowed`), drawn
// into through OpenGL, with its keyboard and mouse; sound stays headless.
// On failure the graphics device is null and *error says why.
PlatformDevices MakeWindowDevices(const platform::PresentParameters& screen, std::string* error);

// Takes in the window's events, once a frame; false once the window was
// closed. Always true for headless devices.
bool PumpWindowEvents(PlatformDevices& devices);

// Draws the graphics device accepted so far, headless or in a window.
std::uint64_t CountDraws(const PlatformDevices& devices);

// Writes the last presented frame of the window as a PNG file; false, with
// *error saying why, when headless or when the file cannot be written.
bool SaveWindowScreenshot(const PlatformDevices& devices, const std::string& path, std::string* error);

// Whether the settings file (lines of "key = value", as the launcher
// writes them) asks for full screen: "Fullscreen = 1". A missing or
// unreadable file means a window.
bool SettingsAskFullscreen(const std::string& path);
