#pragma once

#include <cstdint>
#include <vector>

#include "platform/GraphicsTypes.h"
#include "platform/Result.h"

// The 2D drawing object video frames are decoded through: it makes plain
// surfaces in memory that a video stream fills frame by frame. Nothing is
// shown; the cooperative level is only kept for tests to read.
namespace platform {

constexpr std::uint32_t kDrawNormalCooperation = 8;

// Size and pixel format of a surface. A video stream's format gives the
// frame size; its frames are 32-bit X8R8G8B8.
struct DrawSurfaceDesc {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PixelFormat format = PixelFormat::X8R8G8B8;
};

// Shared by counting: one reference at creation, deleted by the last
// Release.
class DrawSurface {
  public:
    DrawSurface(const DrawSurface&) = delete;
    DrawSurface& operator=(const DrawSurface&) = delete;

    std::uint32_t AddRef() { return ++m_references; }
    std::uint32_t Release();

    const DrawSurfaceDesc& GetDesc() const { return m_desc; }
    std::uint32_t GetPitch() const { return m_pitch; }
    const std::uint8_t* GetBytes() const { return m_bytes.data(); }
    std::uint8_t* GetBytes() { return m_bytes.data(); }
    // Frames written into it so far.
    std::uint32_t GetFrameCount() const { return m_frames; }
    // Writes one blank (black) frame.
    void DeliverBlankFrame();
    // Counts a frame written into the bytes.
    void MarkFrameDelivered() { ++m_frames; }

  private:
    friend class DrawDevice;
    explicit DrawSurface(const DrawSurfaceDesc& desc);
    ~DrawSurface();

    DrawSurfaceDesc m_desc;
    std::uint32_t m_pitch;
    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_frames = 0;
    std::uint32_t m_references = 1;
};

class DrawDevice {
  public:
    DrawDevice(const DrawDevice&) = delete;
    DrawDevice& operator=(const DrawDevice&) = delete;

    std::uint32_t AddRef() { return ++m_references; }
    std::uint32_t Release();

    // Window and flags are kept as given; normal cooperation needs no
    // window.
    HResult SetCooperativeLevel(void* window, std::uint32_t flags);
    void* GetCooperativeWindow() const { return m_window; }
    std::uint32_t GetCooperativeFlags() const { return m_flags; }

    // E_INVALIDARG for a surface of no pixels, an edge past kMaxVideoEdge or a format other than
    // X8R8G8B8; on success *out holds one reference for the caller.
    HResult CreateSurface(const DrawSurfaceDesc& desc, DrawSurface** out);

  private:
    friend HResult CreateDrawDevice(DrawDevice** out);
    DrawDevice();
    ~DrawDevice();

    void* m_window = nullptr;
    std::uint32_t m_flags = 0;
    std::uint32_t m_references = 1;
};

// Makes a drawing object with one reference for the caller.
HResult CreateDrawDevice(DrawDevice** out);

} // namespace platform
