#include "platform/DrawChecks.h"

namespace platform {

HResult CheckStreamDraw(const DrawBindings& bound, PrimitiveType type, std::uint32_t startVertex,
                        std::uint32_t primitiveCount, std::uint64_t* vertices)
{
    *vertices = 0;
    if (!bound.inScene || primitiveCount == 0 || primitiveCount > bound.maxPrimitiveCount)
        return kInvalidCall;
    if (!bound.operational)
        return S_OK;
    if (!bound.stream || bound.streamStride == 0 || bound.stream->IsLocked())
        return kInvalidCall;
    const std::uint64_t count = VerticesForPrimitives(type, primitiveCount);
    const std::uint64_t end = bound.streamOffset + (startVertex + count) * bound.streamStride;
    if (count == 0 || end > bound.stream->GetLength())
        return kInvalidCall;
    *vertices = count;
    return S_OK;
}

HResult CheckDrawnIndices(MemoryIndexBuffer& indices, std::uint32_t minIndex, std::uint32_t vertexCount,
                          std::uint32_t startIndex, std::uint32_t indexCount)
{
    const IndexBuffer::IndexSpan span = indices.GetIndexSpan(startIndex, indexCount);
    if (span.lowest < minIndex || span.highest - minIndex >= vertexCount)
        return kInvalidCall;
    return S_OK;
}

HResult CheckUserDraw(const DrawBindings& bound, PrimitiveType type, std::uint32_t primitiveCount,
                      const void* data, std::uint32_t stride, std::uint32_t* vertices)
{
    *vertices = 0;
    if (!bound.inScene || !data || stride == 0 || primitiveCount == 0 ||
        primitiveCount > bound.maxPrimitiveCount)
        return kInvalidCall;
    if (!bound.operational)
        return S_OK;
    *vertices = VerticesForPrimitives(type, primitiveCount);
    return *vertices == 0 ? kInvalidCall : S_OK;
}

} // namespace platform
