#pragma once

#include <cstdint>
#include <vector>

#include "platform/MathTypes.h"

struct CPLine;

// Finds the track point nearest to a position in x and y: the point whose
// start has the smallest squared distance, counted only up to kLimit, the
// later of equals, -1 when none is that near. A grid of the points, built
// once for a track, limits the search to the cells around the position,
// with the same answer as looking at every point.
class CPTrackPointIndex {
  public:
    // Squared distance beyond which a point is not near at all.
    static constexpr float kLimit = 100000.0f;

    // Grids the points. Find also grids them again by itself when handed a
    // list of another size or storage than the last one.
    void Build(const std::vector<CPLine*>& points);
    std::int32_t Find(const std::vector<CPLine*>& points, const Vector3& position);

    // Every point looked at: the answer the grid must give.
    static std::int32_t FindByScan(const std::vector<CPLine*>& points, const Vector3& position);

  private:
    struct Entry {
        float x;
        float y;
        std::int32_t index;
    };
    struct Cell {
        std::int32_t x;
        std::int32_t y;
    };
    std::int32_t Search(const Vector3& position) const;

    bool IsBuiltFor(const std::vector<CPLine*>& points) const;
    bool Covers(const Vector3& position) const;
    Cell CellOf(double x, double y) const;
    // Looks at the cells of the ring at `ring` cells around `centre`.
    void SearchRing(const Cell& centre, std::int32_t ring, const Vector3& position, float& best,
                    std::int32_t& nearest) const;
    void SearchCell(std::int32_t x, std::int32_t y, const Vector3& position, float& best,
                    std::int32_t& nearest) const;

    const void* m_builtFor = nullptr;
    std::size_t m_builtCount = 0;
    double m_minX = 0.0;
    double m_minY = 0.0;
    double m_maxX = 0.0;
    double m_maxY = 0.0;
    double m_cellSize = 1.0;
    std::int32_t m_columns = 0;
    std::int32_t m_rows = 0;
    // Cell c holds m_entries[m_cellStart[c]] up to m_cellStart[c + 1].
    std::vector<std::int32_t> m_cellStart;
    std::vector<Entry> m_entries;
};
