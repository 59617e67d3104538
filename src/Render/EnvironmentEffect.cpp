#include "Render/EnvironmentEffect.h"

void CPEnvironmentEffect::Apply(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    CopyVertices(out, in, count);
    for (int i = 0; i < count; ++i) {
        CPMeshVertex& v = out[i];
        v.uv2.x = v.position.x / m_scale + v.normal.x * 0.5f;
        v.uv2.y = v.position.y / m_scale + v.normal.y * 0.5f;
    }
}

std::unique_ptr<CPVertexEffect> CPEnvironmentEffect::Clone() const
{
    return std::make_unique<CPEnvironmentEffect>(*this);
}
