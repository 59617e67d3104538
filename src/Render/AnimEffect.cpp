#include "Render/AnimEffect.h"

#include <cmath>

#include "core/GameClock.h"

CPAnimEffect::CPAnimEffect(std::int32_t columns, std::int32_t rows, float speed)
    : m_columns(columns), m_rows(rows), m_speed(speed)
{
    m_cellWidth = 1.0f / static_cast<float>(columns);
    m_cellHeight = 1.0f / static_cast<float>(rows);
    m_frameCount = IsValidAtlas(columns, rows) ? columns * rows : 0;
    m_uTable.reserve(static_cast<std::size_t>(m_frameCount));
    m_vTable.reserve(static_cast<std::size_t>(m_frameCount));
    for (std::int32_t r = 0; r < rows && m_frameCount > 0; ++r) {
        for (std::int32_t c = 0; c < columns; ++c) {
            m_uTable.push_back(static_cast<float>(c) * m_cellWidth);
            m_vTable.push_back(static_cast<float>(r) * m_cellHeight);
        }
    }
}

std::int32_t AtlasFrame(float cells, std::int32_t frameCount)
{
    if (frameCount <= 0 || !std::isfinite(cells))
        return 0;
    // In doubles: the truncated count may lie far outside the integer range.
    double frame = std::fmod(std::trunc(static_cast<double>(cells)), static_cast<double>(frameCount));
    if (frame < 0.0)
        frame += frameCount;
    return static_cast<std::int32_t>(frame);
}

void CPAnimEffect::Update(float dt)
{
    m_time += dt;
    m_frame = AtlasFrame(m_time * m_speed, m_frameCount);
}

void CPAnimEffect::Apply(CPMeshVertex* out, const CPMeshVertex* in, int count)
{
    Update(GetFrameTime());
    CopyVertices(out, in, count);
    if (m_frameCount <= 0)
        return;
    const float u = m_uTable[static_cast<std::size_t>(m_frame)];
    const float v = m_vTable[static_cast<std::size_t>(m_frame)];
    for (int i = 0; i < count; ++i) {
        out[i].uv1.x = m_cellWidth * out[i].uv1.x + u;
        out[i].uv1.y = m_cellHeight * out[i].uv1.y + v;
    }
}

std::unique_ptr<CPVertexEffect> CPAnimEffect::Clone() const { return std::make_unique<CPAnimEffect>(*this); }
