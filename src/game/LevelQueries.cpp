// The level's spatial questions: its grid, ray tests and nearby objects.
#include <algorithm>
#include <cmath>

#include "core/GameObject.h"
#include "core/Log.h"
#include "game/Level.h"
#include "game/LevelIndex.h"
#include "game/LevelQueries.h"
#include "platform/Math.h"

namespace {

// Truncates towards zero as the grid arithmetic does, then keeps the
// result inside 0 .. count - 1.
std::int32_t ClampedCell(float coordinate, std::int32_t count)
{
    const float limit = static_cast<float>(count - 1);
    const float cell = std::trunc(coordinate);
    if (!(cell > 0.0f))
        return 0;
    if (cell > limit)
        return count - 1;
    return static_cast<std::int32_t>(cell);
}

bool BoxWithin(const CPObjectPtr& object, const Vector3& position, float radius)
{
    const auto* gameObject = object.As<CPGameObject>();
    return gameObject && gameObject->GetOwnBox().IntersectsSphere(position, radius);
}

} // namespace

// --- Grid ----------------------------------------------------------------------

void CPLevelQueries::AllocateGrid()
{
    m_gridColumns = static_cast<std::int32_t>(m_level.levelWidth * 0.1f);
    m_gridRows = static_cast<std::int32_t>(m_level.levelDepth * 0.1f);
    if (m_gridColumns < 1 || m_gridRows < 1) {
        m_gridColumns = m_gridRows = 0;
        LogLine("CPLevel: the level area is too small for a grid");
    }
    const std::size_t count = static_cast<std::size_t>(m_gridColumns) * static_cast<std::size_t>(m_gridRows);
    // Emptied and grown rather than assigned: growing makes the empty cells
    // in place instead of copying an empty one into each.
    m_gridCells.clear();
    m_gridCells.resize(count);
    m_gridWords.assign(count, 0);
}

void CPLevelQueries::EmptyCells()
{
    for (std::vector<CPObjectPtr>& cell : m_gridCells)
        cell.clear();
}

void CPLevelQueries::ReleaseGrid()
{
    m_gridCells.clear();
    m_gridCells.shrink_to_fit();
    m_gridWords.clear();
    m_gridWords.shrink_to_fit();
    m_gridColumns = 0;
    m_gridRows = 0;
}

std::int32_t CPLevelQueries::GetCellIndex(float x, float y) const
{
    if (m_gridCells.empty() || !std::isfinite(x) || !std::isfinite(y))
        return -1;
    const std::int32_t column = ClampedCell((x + m_level.levelWidth * 0.5f) * 0.1f, m_gridColumns);
    const std::int32_t row = ClampedCell((y + m_level.levelDepth * 0.5f) * 0.1f, m_gridRows);
    return column * m_gridRows + row;
}

void CPLevelQueries::AddToGrid(CPObjectPtr object)
{
    const auto* gameObject = object.As<CPGameObject>();
    if (!gameObject)
        return;
    const Vector3& position = gameObject->GetPosition();
    const std::int32_t cell = GetCellIndex(position.x, position.y);
    if (cell < 0) {
        LogLine("CPLevel: no grid cell for the object \"" + gameObject->GetName() + "\"");
        return;
    }
    m_gridCells[cell].push_back(object);
}

// --- Ray tests -----------------------------------------------------------------

bool CPLevelQueries::IsNearPlayer(const RayQuery& ray) const
{
    const CPGameObject* player = m_level.GetPlayer();
    if (!player)
        return true;
    const float h = ray.length * 0.5f;
    const Vector3 middle = ray.origin + ray.direction * h;
    const Vector3 d = player->GetPosition() - middle;
    const Vector3& dir = ray.direction;
    if (std::fabs(d.x) > std::fabs(dir.x) * h + CPLevel::kNearMargin)
        return false;
    if (std::fabs(d.y) > std::fabs(dir.y) * h + CPLevel::kNearMargin)
        return false;
    return std::fabs(d.x * dir.y - d.y * dir.x) <=
           (std::fabs(dir.x) + std::fabs(dir.y)) * CPLevel::kNearMargin;
}

void CPLevelQueries::TestObjectLists(RayQuery& ray, bool& hit)
{
    for (const CPObjectPtr& object : m_level.firstObjects) {
        if (auto* gameObject = object.As<CPGameObject>())
            hit = gameObject->IntersectRay(ray) || hit;
    }
    for (const CPObjectPtr& object : m_level.secondObjects) {
        if (auto* gameObject = object.As<CPGameObject>())
            hit = gameObject->IntersectRay(ray) || hit;
    }
}

void CPLevelQueries::FinishRay(RayQuery& ray) const
{
    ray.hitPoint = ray.origin + ray.direction * ray.length;
}

bool CPLevelQueries::IntersectRay(RayQuery& ray)
{
    bool hit = false;
    if (CPLevelIndex* index = m_level.GetIndex())
        hit = index->IntersectRay(ray);
    if (IsNearPlayer(ray))
        TestObjectLists(ray, hit);
    FinishRay(ray);
    return hit;
}

bool CPLevelQueries::IntersectRayAll(RayQuery& ray)
{
    bool hit = false;
    if (CPLevelIndex* index = m_level.GetIndex())
        hit = index->IntersectRay(ray);
    if (IsNearPlayer(ray)) {
        if (CPGameObject* player = m_level.GetPlayer())
            hit = player->IntersectRay(ray) || hit;
        TestObjectLists(ray, hit);
    }
    FinishRay(ray);
    return hit;
}

bool CPLevelQueries::IntersectCars(RayQuery& ray)
{
    for (CPGameObject* car : m_level.m_opponents) {
        if (car && car->IntersectRay(ray))
            return true;
    }
    CPGameObject* player = m_level.GetPlayer();
    return player && player->IntersectRay(ray);
}

// --- Nearby objects --------------------------------------------------------------

void CPLevelQueries::CollectFromList(const std::list<CPObjectPtr>& list, const Vector3& position,
                                     float radius, std::vector<CPObjectPtr>& result) const
{
    for (const CPObjectPtr& object : list) {
        if (BoxWithin(object, position, radius))
            result.push_back(object);
    }
}

void CPLevelQueries::CollectFromGrid(const Vector3& position, float radius,
                                     std::vector<CPObjectPtr>& result) const
{
    const CPGameObject* player = m_level.GetPlayer();
    if (!player || m_gridCells.empty())
        return;
    const Vector3& p = player->GetPosition();
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return;
    const float halfWidth = m_level.levelWidth * 0.5f;
    const float halfDepth = m_level.levelDepth * 0.5f;
    const std::int32_t firstColumn =
        ClampedCell((p.x - CPLevel::kNearMargin + halfWidth) * 0.1f, m_gridColumns);
    const std::int32_t lastColumn =
        ClampedCell((p.x + CPLevel::kNearMargin + halfWidth) * 0.1f, m_gridColumns);
    const std::int32_t firstRow = ClampedCell((p.y - CPLevel::kNearMargin + halfDepth) * 0.1f, m_gridRows);
    const std::int32_t lastRow = ClampedCell((p.y + CPLevel::kNearMargin + halfDepth) * 0.1f, m_gridRows);
    for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
        for (std::int32_t row = firstRow; row <= lastRow; ++row) {
            for (const CPObjectPtr& object : m_gridCells[column * m_gridRows + row]) {
                if (BoxWithin(object, position, radius))
                    result.push_back(object);
            }
        }
    }
}

void CPLevelQueries::CollectNearObjects(const Vector3& position, float radius,
                                        std::vector<CPObjectPtr>& result)
{
    if (CPLevelIndex* index = m_level.GetIndex())
        index->CollectInSphere(position, radius, result);

    const CPGameObject* player = m_level.GetPlayer();
    bool playerNear = true;
    if (player) {
        if (BoxWithin(m_level.m_player, position, radius))
            result.push_back(m_level.m_player);
        const Vector3& p = player->GetPosition();
        playerNear = std::fabs(p.x - position.x) <= radius + CPLevel::kNearMargin &&
                     std::fabs(p.y - position.y) <= radius + CPLevel::kNearMargin;
    }
    if (playerNear)
        CollectFromList(m_level.firstObjects, position, radius, result);
    CollectFromGrid(position, radius, result);
    CollectFromList(m_level.secondObjects, position, radius, result);
}

void CPLevelQueries::CollectBranchItems(std::vector<CPObjectPtr>& result)
{
    if (CPLevelIndex* index = m_level.GetIndex())
        index->CollectRootItems(result);
}
