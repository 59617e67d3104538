#pragma once

#include <cstdint>
#include <vector>

#include "platform/MathTypes.h"

// The screen grid of the radial blur: (columns + 1) x (rows + 1) points in
// pixels, row by row, each with the unit direction from the blur centre.
class CPBlurGrid {
  public:
    // Spreads the points evenly over a screen of the given size; their
    // directions are zero until the first Aim.
    void Resize(std::int32_t columns, std::int32_t rows, float width, float height);
    // Points every direction away from the centre (zero at the centre).
    void Aim(const Vector2& centre);

    std::int32_t GetColumns() const { return m_columns; }
    std::int32_t GetRows() const { return m_rows; }
    const std::vector<Vector2>& GetPoints() const { return m_points; }
    const std::vector<Vector2>& GetDirections() const { return m_directions; }

  private:
    std::int32_t m_columns = 0;
    std::int32_t m_rows = 0;
    std::vector<Vector2> m_points;
    std::vector<Vector2> m_directions;
};
