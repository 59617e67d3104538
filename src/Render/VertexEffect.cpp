#include "Render/VertexEffect.h"

#include <cmath>
#include <cstring>

void CPVertexEffect::CopyVertices(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    if (out == in || count <= 0)
        return;
    std::memmove(out, in, static_cast<std::size_t>(count) * sizeof(CPMeshVertex));
}

std::uint32_t TruncatedLowByte(double value)
{
    if (!std::isfinite(value))
        return 0;
    double low = std::fmod(std::trunc(value), 256.0);
    if (low < 0.0)
        low += 256.0;
    return static_cast<std::uint32_t>(low) & 0xFFu;
}
