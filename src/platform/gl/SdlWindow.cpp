#include "platform/gl/SdlWindow.h"

#include <SDL.h>

namespace platform {

namespace {

std::string SdlError(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

void AskForCoreContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
}

// Full screen covers the display at its own mode: switching the display to
// the game's size would magnify and crop the picture where the display has
// no such mode. The device scales the picture into it, bars where the
// aspects differ.
Uint32 FullscreenFlag(bool windowed)
{
    return windowed ? 0u : static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP);
}

} // namespace

std::unique_ptr<SdlWindow> SdlWindow::Open(const char* title, std::uint32_t width, std::uint32_t height,
                                           bool windowed, std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = SdlError("no video");
        return nullptr;
    }
    AskForCoreContext();
    std::unique_ptr<SdlWindow> window(new SdlWindow());
    Uint32 flags = SDL_WINDOW_OPENGL | FullscreenFlag(windowed);
    window->m_window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        static_cast<int>(width), static_cast<int>(height), flags);
    if (!window->m_window) {
        *error = SdlError("no window");
        return nullptr;
    }
    window->m_context = SDL_GL_CreateContext(window->m_window);
    if (!window->m_context) {
        *error = SdlError("no OpenGL 3.3 core context");
        return nullptr;
    }
    window->SetVerticalSync(false);
    return window;
}

bool SdlWindow::SetVerticalSync(bool wait)
{
    if (!wait)
        return SDL_GL_SetSwapInterval(0) == 0;
    // Adaptive sync shows a late frame at once instead of waiting a whole
    // further blank, which would halve the rate of slow frames; where the
    // driver lacks it, plain sync.
    return SDL_GL_SetSwapInterval(-1) == 0 || SDL_GL_SetSwapInterval(1) == 0;
}

SdlWindow::~SdlWindow()
{
    if (m_context)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    if (m_window)
        SDL_DestroyWindow(m_window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void SdlWindow::Swap() { SDL_GL_SwapWindow(m_window); }

void SdlWindow::GetDrawableSize(int* width, int* height) const
{
    SDL_GL_GetDrawableSize(m_window, width, height);
}

void SdlWindow::Resize(std::uint32_t width, std::uint32_t height, bool windowed)
{
    SDL_SetWindowFullscreen(m_window, FullscreenFlag(windowed));
    SDL_SetWindowSize(m_window, static_cast<int>(width), static_cast<int>(height));
}

} // namespace platform
