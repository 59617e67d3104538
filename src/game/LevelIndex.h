#pragma once

#include <vector>

#include "core/Object.h"
#include "core/RayQuery.h"
#include "platform/MathTypes.h"

// What the level asks of its spatial index over the static scene (the root
// of the level branches): ray tests, sphere queries and the items its root
// keeps for the loader. The index is a CPObject owned by the level.
class CPLevelIndex {
  public:
    // Tests the ray against every object of the index it may reach; true
    // when any was hit (the ray then holds the nearest hit).
    virtual bool IntersectRay(RayQuery& ray) = 0;
    // Appends every object whose box lies within the radius of the point.
    virtual void CollectInSphere(const Vector3& point, float radius, std::vector<CPObjectPtr>& result) = 0;
    // Appends the items of the root's scene objects.
    virtual void CollectRootItems(std::vector<CPObjectPtr>& result) = 0;

  protected:
    ~CPLevelIndex() = default;
};
