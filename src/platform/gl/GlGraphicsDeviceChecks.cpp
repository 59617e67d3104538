#include "platform/DrawChecks.h"
#include "platform/gl/GlGraphicsDevice.h"

// What a draw must have before it reaches GL: the checks every device
// makes, so the engine meets one behaviour.
namespace platform {

DrawBindings GlGraphicsDevice::Bindings() const
{
    return {m_frame.IsInScene(), IsOperational(), m_caps.maxPrimitiveCount, m_stream, m_streamOffset,
            m_streamStride,      m_indices};
}

HResult GlGraphicsDevice::CheckDraw(PrimitiveType type, std::uint32_t startVertex,
                                    std::uint32_t primitiveCount) const
{
    std::uint64_t vertices = 0;
    return CheckStreamDraw(Bindings(), type, startVertex, primitiveCount, &vertices);
}

HResult GlGraphicsDevice::CheckIndexedDraw(PrimitiveType type, std::int32_t baseVertex,
                                           std::uint32_t minIndex, std::uint32_t vertexCount,
                                           std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    // GL reads whatever vertex an index names, so this device always
    // looks at the indices.
    return platform::CheckIndexedDraw(Bindings(), type, baseVertex, minIndex, vertexCount, startIndex,
                                      primitiveCount, true);
}

HResult GlGraphicsDevice::CheckUserDraw(PrimitiveType type, std::uint32_t primitiveCount,
                                        const void* vertices, std::uint32_t stride) const
{
    std::uint32_t count = 0;
    return platform::CheckUserDraw(Bindings(), type, primitiveCount, vertices, stride, &count);
}

} // namespace platform
