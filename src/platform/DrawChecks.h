#pragma once

#include <cstdint>

#include "platform/GraphicsTypes.h"
#include "platform/MemoryBuffers.h"
#include "platform/Result.h"

namespace platform {

// What a device has bound when a draw comes. Every device refuses the same
// draws in the same order, so the engine meets one behaviour whichever
// device draws. A draw that passes while the device is not operational
// (lost) answers S_OK and must draw nothing.
struct DrawBindings {
    bool inScene = false;
    bool operational = false;
    std::uint32_t maxPrimitiveCount = 0;
    // Every device keeps its buffers' bytes in memory.
    const MemoryVertexBuffer* stream = nullptr;
    std::uint32_t streamOffset = 0;
    std::uint32_t streamStride = 0;
    MemoryIndexBuffer* indices = nullptr;
};

// A draw from the bound stream; `*vertices` is how many it reads.
HResult CheckStreamDraw(const DrawBindings& bound, PrimitiveType type, std::uint32_t startVertex,
                        std::uint32_t primitiveCount, std::uint64_t* vertices);

// The `indexCount` indices from `startIndex` of a draw all lie inside the
// vertex range it declares: an index outside it would read past what the
// caller said the draw touches.
HResult CheckDrawnIndices(MemoryIndexBuffer& indices, std::uint32_t minIndex, std::uint32_t vertexCount,
                          std::uint32_t startIndex, std::uint32_t indexCount);

// A draw through the bound indices. With `checkIndices` every index read
// must lie inside the range the caller declared. Always inlined: it guards
// every indexed draw of a frame.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline HResult
CheckIndexedDraw(const DrawBindings& bound, PrimitiveType type, std::int32_t baseVertex,
                 std::uint32_t minIndex, std::uint32_t vertexCount, std::uint32_t startIndex,
                 std::uint32_t primitiveCount, bool checkIndices)
{
    if (!bound.inScene || primitiveCount == 0 || primitiveCount > bound.maxPrimitiveCount || vertexCount == 0)
        return kInvalidCall;
    if (!bound.operational)
        return S_OK;
    if (!bound.stream || !bound.indices || bound.streamStride == 0 || bound.stream->IsLocked() ||
        bound.indices->IsLocked())
        return kInvalidCall;
    const std::uint64_t indexCount = VerticesForPrimitives(type, primitiveCount);
    if (indexCount == 0 || startIndex + indexCount > bound.indices->GetMemoryIndexCount())
        return kInvalidCall;
    // The vertices the draw may touch must lie inside the stream.
    const std::int64_t first = static_cast<std::int64_t>(baseVertex) + minIndex;
    const std::int64_t capacity =
        (static_cast<std::int64_t>(bound.stream->GetLength()) - bound.streamOffset) / bound.streamStride;
    if (first < 0 || first + vertexCount > capacity)
        return kInvalidCall;
    if (!checkIndices)
        return S_OK;
    return CheckDrawnIndices(*bound.indices, minIndex, vertexCount, startIndex,
                             static_cast<std::uint32_t>(indexCount));
}

// A draw from the caller's memory; `*vertices` is how many it reads.
HResult CheckUserDraw(const DrawBindings& bound, PrimitiveType type, std::uint32_t primitiveCount,
                      const void* data, std::uint32_t stride, std::uint32_t* vertices);

} // namespace platform
