// The level's spatial questions: its grid, ray tests and nearby objects.
#include <algorithm>
#include <cmath>

#include "core/GameObject.h"
#include "core/Log.h"
#include "game/Level.h"
#include "game/LevelIndex.h"
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

void CPLevel::AllocateGrid()
{
    m_gridColumns = static_cast<std::int32_t>(levelWidth * 0.1f);
    m_gridRows = static_cast<std::int32_t>(levelDepth * 0.1f);
    if (m_gridColumns < 1 || m_gridRows < 1) {
        m_gridColumns = m_gridRows = 0;
        LogLine("CPLevel: the level area is too small for a grid");
    }
    const std::size_t count = static_cast<std::size_t>(m_gridColumns) * static_cast<std::size_t>(m_gridRows);
    m_gridCells.assign(count, {});
    m_gridWords.assign(count, 0);
}

std::int32_t CPLevel::GetCellIndex(float x, float y) const
{
    if (m_gridCells.empty() || !std::isfinite(x) || !std::isfinite(y))
        return -1;
    const std::int32_t column = ClampedCell((x + levelWidth * 0.5f) * 0.1f, m_gridColumns);
    const std::int32_t row = ClampedCell((y + levelDepth * 0.5f) * 0.1f, m_gridRows);
    return column * m_gridRows + row;
}

void CPLevel::AddToGrid(CPObjectPtr object)
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

bool CPLevel::IsNearPlayer(const RayQuery& ray) const
{
    const CPGameObject* player = GetPlayer();
    if (!player)
        return true;
    const float h = ray.length * 0.5f;
    const Vector3 middle = ray.origin + ray.direction * h;
    const Vector3 d = player->GetPosition() - middle;
    const Vector3& dir = ray.direction;
    if (std::fabs(d.x) > std::fabs(dir.x) * h + kNearMargin)
        return false;
    if (std::fabs(d.y) > std::fabs(dir.y) * h + kNearMargin)
        return false;
    return std::fabs(d.x * dir.y - d.y * dir.x) <= (std::fabs(dir.x) + std::fabs(dir.y)) * kNearMargin;
}

void CPLevel::TestObjectLists(RayQuery& ray, bool& hit)
{
    for (const CPObjectPtr& object : firstObjects) {
        if (auto* gameObject = object.As<CPGameObject>())
            hit = gameObject->IntersectRay(ray) || hit;
    }
    for (const CPObjectPtr& object : secondObjects) {
        if (auto* gameObject = object.As<CPGameObject>())
            hit = gameObject->IntersectRay(ray) || hit;
    }
}

void CPLevel::FinishRay(RayQuery& ray) const { ray.hitPoint = ray.origin + ray.direction * ray.length; }

bool CPLevel::IntersectRay(RayQuery& ray)
{
    bool hit = false;
    if (CPLevelIndex* index = GetIndex())
        hit = index->IntersectRay(ray);
    if (IsNearPlayer(ray))
        TestObjectLists(ray, hit);
    FinishRay(ray);
    return hit;
}

bool CPLevel::IntersectRayAll(RayQuery& ray)
{
    bool hit = false;
    if (CPLevelIndex* index = GetIndex())
        hit = index->IntersectRay(ray);
    if (IsNearPlayer(ray)) {
        if (CPGameObject* player = GetPlayer())
            hit = player->IntersectRay(ray) || hit;
        TestObjectLists(ray, hit);
    }
    FinishRay(ray);
    return hit;
}

bool CPLevel::IntersectCars(RayQuery& ray)
{
    for (CPGameObject* car : m_opponents) {
        if (car && car->IntersectRay(ray))
            return true;
    }
    CPGameObject* player = GetPlayer();
    return player && player->IntersectRay(ray);
}

// --- Nearby objects --------------------------------------------------------------

void CPLevel::CollectFromList(const std::list<CPObjectPtr>& list, const Vector3& position, float radius,
                              std::vector<CPObjectPtr>& result) const
{
    for (const CPObjectPtr& object : list) {
        if (BoxWithin(object, position, radius))
            result.push_back(object);
    }
}

void CPLevel::CollectFromGrid(const Vector3& position, float radius, std::vector<CPObjectPtr>& result) const
{
    const CPGameObject* player = GetPlayer();
    if (!player || m_gridCells.empty())
        return;
    const Vector3& p = player->GetPosition();
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return;
    const float halfWidth = levelWidth * 0.5f;
    const float halfDepth = levelDepth * 0.5f;
    const std::int32_t firstColumn = ClampedCell((p.x - kNearMargin + halfWidth) * 0.1f, m_gridColumns);
    const std::int32_t lastColumn = ClampedCell((p.x + kNearMargin + halfWidth) * 0.1f, m_gridColumns);
    const std::int32_t firstRow = ClampedCell((p.y - kNearMargin + halfDepth) * 0.1f, m_gridRows);
    const std::int32_t lastRow = ClampedCell((p.y + kNearMargin + halfDepth) * 0.1f, m_gridRows);
    for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
        for (std::int32_t row = firstRow; row <= lastRow; ++row) {
            for (const CPObjectPtr& object : m_gridCells[column * m_gridRows + row]) {
                if (BoxWithin(object, position, radius))
                    result.push_back(object);
            }
        }
    }
}

void CPLevel::CollectNearObjects(const Vector3& position, float radius, std::vector<CPObjectPtr>& result)
{
    if (CPLevelIndex* index = GetIndex())
        index->CollectInSphere(position, radius, result);

    const CPGameObject* player = GetPlayer();
    bool playerNear = true;
    if (player) {
        if (BoxWithin(m_player, position, radius))
            result.push_back(m_player);
        const Vector3& p = player->GetPosition();
        playerNear = std::fabs(p.x - position.x) <= radius + kNearMargin &&
                     std::fabs(p.y - position.y) <= radius + kNearMargin;
    }
    if (playerNear)
        CollectFromList(firstObjects, position, radius, result);
    CollectFromGrid(position, radius, result);
    CollectFromList(secondObjects, position, radius, result);
}

void CPLevel::CollectBranchItems(std::vector<CPObjectPtr>& result)
{
    if (CPLevelIndex* index = GetIndex())
        index->CollectRootItems(result);
}
