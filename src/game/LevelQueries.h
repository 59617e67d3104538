#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "core/Object.h"
#include "core/RayQuery.h"
#include "platform/MathTypes.h"

class CPLevel;

// The level's spatial questions: the grid of the level area, ray tests
// against the static scene, the cars and the object lists, and the objects
// near a point. The level owns it and forwards the ray tests and the
// nearby-object query under its own names.
//
// The grid cells only refer to objects owned elsewhere.
class CPLevelQueries {
  public:
    explicit CPLevelQueries(CPLevel& level) : m_level(level) {}
    CPLevelQueries(const CPLevelQueries&) = delete;
    CPLevelQueries& operator=(const CPLevelQueries&) = delete;

    // --- Grid ------------------------------------------------------------

    // Sizes the grid to the level size (one cell per 10 x 10 units,
    // truncated) and empties every cell and grid word.
    void AllocateGrid();
    // Empties every cell, keeping the grid's size.
    void EmptyCells();
    // Drops the cells, which refer to objects about to go.
    void ClearGrid() { m_gridCells.clear(); }
    // Gives back the grid's memory and leaves no grid.
    void ReleaseGrid();
    std::int32_t GetGridColumns() const { return m_gridColumns; }
    std::int32_t GetGridRows() const { return m_gridRows; }
    // The cell under a point, clamped to the grid; -1 without a grid or for
    // a point that is not finite.
    std::int32_t GetCellIndex(float x, float y) const;
    const std::vector<CPObjectPtr>& GetCell(std::int32_t index) const { return m_gridCells[index]; }
    std::vector<std::uint32_t>& GetGridWords() { return m_gridWords; }
    // Appends the object to the cell under its position; an object outside
    // the level area goes to the nearest border cell.
    void AddToGrid(CPObjectPtr object);

    // --- Ray tests and nearby objects ------------------------------------

    // The static scene, then (near the player car) the level's two object
    // lists. Writes the hit point, origin + direction * length, at the end.
    bool IntersectRay(RayQuery& ray);
    // As IntersectRay, with the player car tested before the object lists.
    bool IntersectRayAll(RayQuery& ray);
    // The opponent cars in order, true at the first hit; else the player
    // car.
    bool IntersectCars(RayQuery& ray);
    // Appends every object near the position: static objects, the player
    // car, the object lists and the grid cells around the player car.
    void CollectNearObjects(const Vector3& position, float radius, std::vector<CPObjectPtr>& result);
    // The items of the spatial index's root (nothing with the quad tree).
    void CollectBranchItems(std::vector<CPObjectPtr>& result);

  private:
    bool IsNearPlayer(const RayQuery& ray) const;
    void TestObjectLists(RayQuery& ray, bool& hit);
    void FinishRay(RayQuery& ray) const;
    void CollectFromList(const std::list<CPObjectPtr>& list, const Vector3& position, float radius,
                         std::vector<CPObjectPtr>& result) const;
    void CollectFromGrid(const Vector3& position, float radius, std::vector<CPObjectPtr>& result) const;

    CPLevel& m_level;
    std::int32_t m_gridColumns = 0;
    std::int32_t m_gridRows = 0;
    std::vector<std::vector<CPObjectPtr>> m_gridCells;
    std::vector<std::uint32_t> m_gridWords;
};
