#include "Render/BlurGrid.h"

#include <algorithm>

#include "platform/Math.h"

void CPBlurGrid::Resize(std::int32_t columns, std::int32_t rows, float width, float height)
{
    m_columns = std::max(columns, 1);
    m_rows = std::max(rows, 1);
    m_points.clear();
    for (std::int32_t row = 0; row <= m_rows; ++row)
        for (std::int32_t column = 0; column <= m_columns; ++column)
            m_points.push_back({width * static_cast<float>(column) / static_cast<float>(m_columns),
                                height * static_cast<float>(row) / static_cast<float>(m_rows)});
    m_directions.assign(m_points.size(), Vector2{});
}

void CPBlurGrid::Aim(const Vector2& centre)
{
    for (std::size_t i = 0; i < m_points.size(); ++i)
        m_directions[i] = Normalize(m_points[i] - centre);
}
