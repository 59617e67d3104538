#include "platform/DrawSurface.h"

#include <algorithm>
#include <new>

#include "platform/MediaStream.h"
#include "platform/VideoFile.h"
#include "platform/HeadlessMedia.h"

namespace platform {

DrawSurface::DrawSurface(const DrawSurfaceDesc& desc)
    : m_desc(desc), m_pitch(desc.width * FormatUnitBytes(desc.format)),
      m_bytes(static_cast<std::size_t>(m_pitch) * desc.height, 0)
{
    CountVideoObject(+1);
}

DrawSurface::~DrawSurface() { CountVideoObject(-1); }

std::uint32_t DrawSurface::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

void DrawSurface::DeliverBlankFrame()
{
    std::fill(m_bytes.begin(), m_bytes.end(), std::uint8_t{0});
    ++m_frames;
}

DrawDevice::DrawDevice() { CountVideoObject(+1); }

DrawDevice::~DrawDevice() { CountVideoObject(-1); }

std::uint32_t DrawDevice::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HResult DrawDevice::SetCooperativeLevel(void* window, std::uint32_t flags)
{
    const HResult failure = VideoFailureOf(VideoFailure::CooperativeLevel);
    if (Failed(failure))
        return failure;
    m_window = window;
    m_flags = flags;
    return S_OK;
}

HResult DrawDevice::CreateSurface(const DrawSurfaceDesc& desc, DrawSurface** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    const HResult failure = VideoFailureOf(VideoFailure::CreateSurface);
    if (Failed(failure))
        return failure;
    if (desc.width == 0 || desc.height == 0 || desc.width > kMaxVideoEdge || desc.height > kMaxVideoEdge ||
        desc.format != PixelFormat::X8R8G8B8)
        return E_INVALIDARG;
    DrawSurface* surface = new (std::nothrow) DrawSurface(desc);
    if (!surface)
        return E_OUTOFMEMORY;
    *out = surface;
    return S_OK;
}

HResult CreateDrawDevice(DrawDevice** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    const HResult failure = VideoFailureOf(VideoFailure::CreateDrawDevice);
    if (Failed(failure))
        return failure;
    DrawDevice* device = new (std::nothrow) DrawDevice();
    if (!device)
        return E_OUTOFMEMORY;
    *out = device;
    return S_OK;
}

} // namespace platform
