#include "WindowFixture.h"

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define RS_LEAK_CHECKS 1
#endif

#if RS_HAVE_WINDOW
#include "platform/gl/SdlWindow.h"
#endif

IgnoreDriverLeaks::IgnoreDriverLeaks()
{
#if RS_LEAK_CHECKS
    __lsan_disable();
#endif
}

IgnoreDriverLeaks::~IgnoreDriverLeaks()
{
#if RS_LEAK_CHECKS
    __lsan_enable();
#endif
}

void PreferOffscreenVideo()
{
    const char* display = std::getenv("DISPLAY");
    if ((!display || !*display) && !std::getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 255), cb = static_cast<int>((b >> shift) & 255);
        if (std::abs(ca - cb) > tolerance)
            return false;
    }
    return true;
}

void WindowTest::SetUp()
{
#if RS_HAVE_WINDOW
    PreferOffscreenVideo();
    platform::PresentParameters screen;
    screen.backBufferWidth = kWidth;
    screen.backBufferHeight = kHeight;
    std::string error;
    ignoreLeaks = std::make_unique<IgnoreDriverLeaks>();
    auto window = platform::SdlWindow::Open("test", kWidth, kHeight, true, &error);
    if (window)
        device = platform::GlGraphicsDevice::Create(std::move(window), screen, &error);
    if (!device)
        GTEST_SKIP() << "no OpenGL 3.3 window can be had here: " << error;
#else
    GTEST_SKIP() << "this build has no window device (SDL2 and libepoxy were missing)";
#endif
}

void WindowTest::TearDown()
{
#if RS_HAVE_WINDOW
    device.reset();
#endif
    ignoreLeaks.reset();
}

void WindowTest::PresentAndRead()
{
#if RS_HAVE_WINDOW
    ASSERT_EQ(device->Present(), S_OK);
    ASSERT_TRUE(device->ReadFrame(&frame, &frameWidth, &frameHeight));
#endif
}

std::uint32_t WindowTest::Pixel(std::uint32_t x, std::uint32_t y)
{
    if (x >= frameWidth || y >= frameHeight)
        return 0xDEADBEEF;
    const std::uint8_t* p = &frame[(static_cast<std::size_t>(y) * frameWidth + x) * 3];
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}
