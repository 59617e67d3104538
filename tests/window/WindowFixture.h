#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#if RS_HAVE_WINDOW
#include "platform/gl/GlGraphicsDevice.h"
#endif

// Mesa's software renderer keeps a few small blocks for the life of the
// process from code it compiles at run time, where no stack can be read;
// the leak checker is told to overlook what is allocated while one of these
// lives.
struct IgnoreDriverLeaks {
    IgnoreDriverLeaks();
    ~IgnoreDriverLeaks();
};

// Opens one window for a test (on the X display when there is one, else
// through SDL's offscreen video driver on Mesa's software renderer) and
// reads back what it presented. Tests skip when no OpenGL can be had.
class WindowTest : public ::testing::Test {
  protected:
    static constexpr std::uint32_t kWidth = 320;
    static constexpr std::uint32_t kHeight = 240;

    void SetUp() override;
    void TearDown() override;

    // 0xRRGGBB of a pixel of the last presented frame, (0, 0) top left.
    std::uint32_t Pixel(std::uint32_t x, std::uint32_t y);
    // Presents the frame and reads it back.
    void PresentAndRead();

#if RS_HAVE_WINDOW
    std::unique_ptr<platform::GlGraphicsDevice> device;
#endif
    // Held from SetUp to TearDown: every GL call of the test may reach the driver.
    std::unique_ptr<IgnoreDriverLeaks> ignoreLeaks;
    std::vector<std::uint8_t> frame;
    std::uint32_t frameWidth = 0, frameHeight = 0;
};

// Chooses SDL's offscreen driver where no display is set, so the tests and
// the host run on a machine without X.
void PreferOffscreenVideo();

// Whether two 0xRRGGBB colours differ by at most `tolerance` per channel.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 3);
