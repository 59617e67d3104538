#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;

namespace platform {

// The game's window and its OpenGL 3.3 core context, made current on the
// calling thread. One window per process; SDL's video part lives as long
// as it does.
class SdlWindow {
  public:
    // Opens a window of the given size, windowed or covering the screen.
    // Null, with the reason in *error, when no window or context can be had.
    static std::unique_ptr<SdlWindow> Open(const char* title, std::uint32_t width, std::uint32_t height,
                                           bool windowed, std::string* error);
    // Whether presenting waits for the display's vertical blank. True when
    // the driver took it.
    bool SetVerticalSync(bool wait);
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Shows the default framebuffer.
    void Swap();
    // The default framebuffer's size in pixels: the window's, or the
    // display's in full screen.
    void GetDrawableSize(int* width, int* height) const;
    // Changes the size (and the full-screen mode) after a device reset.
    void Resize(std::uint32_t width, std::uint32_t height, bool windowed);
    SDL_Window* GetHandle() const { return m_window; }

  private:
    SdlWindow() = default;
    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
};

} // namespace platform
