#include "Render/VertexEffect.h"

#include <cstring>

void CPVertexEffect::CopyVertices(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    if (out == in || count <= 0)
        return;
    std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(CPMeshVertex));
}
