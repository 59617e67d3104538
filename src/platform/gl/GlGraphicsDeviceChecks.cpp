#include "platform/gl/GlGraphicsDevice.h"

// What a draw must have before it reaches GL: the same checks, in the same
// order, as the headless device makes, so the engine meets one behaviour.
namespace platform {

HResult GlGraphicsDevice::CheckDraw(PrimitiveType type, std::uint32_t startVertex,
                                    std::uint32_t primitiveCount) const
{
    if (!m_inScene || primitiveCount == 0 || primitiveCount > m_caps.maxPrimitiveCount)
        return kInvalidCall;
    if (!IsOperational())
        return S_OK;
    if (!m_stream || m_streamStride == 0 || m_stream->IsLocked())
        return kInvalidCall;
    const std::uint64_t vertices = VerticesForPrimitives(type, primitiveCount);
    const std::uint64_t end = m_streamOffset + (startVertex + vertices) * m_streamStride;
    if (vertices == 0 || end > m_stream->GetLength())
        return kInvalidCall;
    return S_OK;
}

HResult GlGraphicsDevice::CheckIndexedDraw(PrimitiveType type, std::int32_t baseVertex,
                                           std::uint32_t minIndex, std::uint32_t vertexCount,
                                           std::uint32_t startIndex, std::uint32_t primitiveCount)
{
    if (!m_inScene || primitiveCount == 0 || primitiveCount > m_caps.maxPrimitiveCount || vertexCount == 0)
        return kInvalidCall;
    if (!IsOperational())
        return S_OK;
    if (!m_stream || !m_indices || m_streamStride == 0 || m_stream->IsLocked() || m_indices->IsLocked())
        return kInvalidCall;
    const std::uint64_t indexCount = VerticesForPrimitives(type, primitiveCount);
    if (indexCount == 0 || startIndex + indexCount > m_indices->GetIndexCount())
        return kInvalidCall;
    const std::int64_t first = static_cast<std::int64_t>(baseVertex) + minIndex;
    const std::int64_t capacity =
        (static_cast<std::int64_t>(m_stream->GetLength()) - m_streamOffset) / m_streamStride;
    if (first < 0 || first + vertexCount > capacity)
        return kInvalidCall;
    // An index outside the declared range would read past what the caller
    // said the draw touches.
    const IndexBuffer::IndexSpan span =
        m_indices->GetIndexSpan(startIndex, static_cast<std::uint32_t>(indexCount));
    if (span.lowest < minIndex || span.highest - minIndex >= vertexCount)
        return kInvalidCall;
    return S_OK;
}

HResult GlGraphicsDevice::CheckUserDraw(PrimitiveType type, std::uint32_t primitiveCount,
                                        const void* vertices, std::uint32_t stride) const
{
    if (!m_inScene || !vertices || stride == 0 || primitiveCount == 0 ||
        primitiveCount > m_caps.maxPrimitiveCount)
        return kInvalidCall;
    if (!IsOperational())
        return S_OK;
    return VerticesForPrimitives(type, primitiveCount) == 0 ? kInvalidCall : S_OK;
}

} // namespace platform
