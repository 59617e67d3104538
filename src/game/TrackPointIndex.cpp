#include "game/TrackPointIndex.h"

#include <algorithm>
#include <cmath>

#include "game/Spline.h"

namespace {

// About three track lines a cell: a car on the road finds its point in the
// cells next to its own.
constexpr double kCellSize = 32.0;
// A grid side never takes more cells than this; a wider track gets wider
// cells.
constexpr double kMaxCellsPerSide = 256.0;
// A position farther than this outside the grid has no point near it; it is
// left to the scan, which gives the same -1 without any cell arithmetic.
constexpr double kReach = 400.0;
// Slack for rounding: a cell is passed over only when even the nearest
// place it could hold is this much farther than the best point found.
constexpr double kSlackUnits = 1.0;
constexpr double kSlackFactor = 1.0 + 1e-5;

// The one distance both searches compute, so that they agree to the bit.
inline float SquaredDistance(const Vector3& position, float x, float y)
{
    const float dx = position.x - x;
    const float dy = position.y - y;
    return dx * dx + dy * dy;
}

// The scan's rule: the smaller distance, the later point of equals.
inline void Consider(float distance, std::int32_t index, float& best, std::int32_t& nearest)
{
    if (distance < best || (distance == best && index > nearest)) {
        best = distance;
        nearest = index;
    }
}

} // namespace

std::int32_t CPTrackPointIndex::FindByScan(const std::vector<CPLine*>& points, const Vector3& position)
{
    float best = kLimit;
    std::int32_t nearest = -1;
    for (std::size_t i = 0; i < points.size(); ++i)
        Consider(SquaredDistance(position, points[i]->start.x, points[i]->start.y),
                 static_cast<std::int32_t>(i), best, nearest);
    return nearest;
}

void CPTrackPointIndex::Build(const std::vector<CPLine*>& points)
{
    m_builtFor = points.data();
    m_builtCount = points.size();
    m_entries.clear();
    m_cellStart.clear();
    m_columns = m_rows = 0;
    if (points.empty())
        return;
    m_minX = m_maxX = points[0]->start.x;
    m_minY = m_maxY = points[0]->start.y;
    for (const CPLine* line : points) {
        // With a point that is not a finite number nothing is gridded:
        // every search goes to the scan.
        if (!std::isfinite(line->start.x) || !std::isfinite(line->start.y))
            return;
        m_minX = std::min<double>(m_minX, line->start.x);
        m_maxX = std::max<double>(m_maxX, line->start.x);
        m_minY = std::min<double>(m_minY, line->start.y);
        m_maxY = std::max<double>(m_maxY, line->start.y);
    }
    const double extent = std::max(m_maxX - m_minX, m_maxY - m_minY);
    m_cellSize = std::max(kCellSize, extent / (kMaxCellsPerSide - 1.0));
    m_columns = static_cast<std::int32_t>((m_maxX - m_minX) / m_cellSize) + 1;
    m_rows = static_cast<std::int32_t>((m_maxY - m_minY) / m_cellSize) + 1;

    // Counted per cell, then placed: cell by cell, in point order.
    m_cellStart.assign(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows) + 1, 0);
    std::vector<std::int32_t> cellOf(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Cell cell = CellOf(points[i]->start.x, points[i]->start.y);
        cellOf[i] = cell.y * m_columns + cell.x;
        ++m_cellStart[static_cast<std::size_t>(cellOf[i]) + 1];
    }
    for (std::size_t c = 1; c < m_cellStart.size(); ++c)
        m_cellStart[c] += m_cellStart[c - 1];
    std::vector<std::int32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
    m_entries.resize(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto slot = static_cast<std::size_t>(fill[static_cast<std::size_t>(cellOf[i])]++);
        m_entries[slot] = {points[i]->start.x, points[i]->start.y, static_cast<std::int32_t>(i)};
    }
}

bool CPTrackPointIndex::IsBuiltFor(const std::vector<CPLine*>& points) const
{
    return m_builtFor == points.data() && m_builtCount == points.size();
}

bool CPTrackPointIndex::Covers(const Vector3& position) const
{
    if (m_columns == 0 || !std::isfinite(position.x) || !std::isfinite(position.y))
        return false;
    return position.x >= m_minX - kReach && position.x <= m_maxX + kReach && position.y >= m_minY - kReach &&
           position.y <= m_maxY + kReach;
}

CPTrackPointIndex::Cell CPTrackPointIndex::CellOf(double x, double y) const
{
    return {static_cast<std::int32_t>(std::floor((x - m_minX) / m_cellSize)),
            static_cast<std::int32_t>(std::floor((y - m_minY) / m_cellSize))};
}

std::int32_t CPTrackPointIndex::Find(const std::vector<CPLine*>& points, const Vector3& position)
{
    if (!IsBuiltFor(points))
        Build(points);
    if (!Covers(position))
        return FindByScan(points, position);
    return Search(position);
}

std::int32_t CPTrackPointIndex::Search(const Vector3& position) const
{
    const Cell centre = CellOf(position.x, position.y);
    float best = kLimit;
    std::int32_t nearest = -1;
    // A cell `ring` cells away from the position's own lies at least
    // ring - 1 cells away from the position: once that is farther than the
    // best point so far (or than the limit), no later ring can hold a point
    // as near.
    for (std::int32_t ring = 0;; ++ring) {
        const double gap = (ring - 1) * m_cellSize - kSlackUnits;
        if (gap > 0.0 && gap * gap > static_cast<double>(best) * kSlackFactor)
            break;
        SearchRing(centre, ring, position, best, nearest);
    }
    return nearest;
}

void CPTrackPointIndex::SearchRing(const Cell& centre, std::int32_t ring, const Vector3& position,
                                   float& best, std::int32_t& nearest) const
{
    const std::int32_t top = centre.y - ring;
    const std::int32_t bottom = centre.y + ring;
    const std::int32_t left = centre.x - ring;
    const std::int32_t right = centre.x + ring;
    for (std::int32_t y = std::max(top, 0); y <= std::min(bottom, m_rows - 1); ++y) {
        const bool edgeRow = y == top || y == bottom;
        const std::int32_t step = edgeRow || ring == 0 ? 1 : right - left;
        for (std::int32_t x = left; x <= right; x += step)
            SearchCell(x, y, position, best, nearest);
    }
}

void CPTrackPointIndex::SearchCell(std::int32_t x, std::int32_t y, const Vector3& position, float& best,
                                   std::int32_t& nearest) const
{
    if (x < 0 || x >= m_columns)
        return;
    const auto cell = static_cast<std::size_t>(y * m_columns + x);
    const std::int32_t end = m_cellStart[cell + 1];
    for (std::int32_t i = m_cellStart[cell]; i < end; ++i) {
        const Entry& entry = m_entries[static_cast<std::size_t>(i)];
        Consider(SquaredDistance(position, entry.x, entry.y), entry.index, best, nearest);
    }
}
