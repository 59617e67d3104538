#pragma once

#include <string>
#include <vector>

#include "core/GameObject.h"
#include "game/LevelCar.h"
#include "game/LevelIndex.h"

// A game object that counts its deletion.
class CountedObject : public CPGameObject {
  public:
    CountedObject(const std::string& name, int* deletions) : CPGameObject(name), m_deletions(deletions) {}
    ~CountedObject() override
    {
        if (m_deletions)
            ++*m_deletions;
    }

  private:
    int* m_deletions;
};

// A car object that records its weapon steps.
class FakeCar : public CountedObject, public CPLevelCar {
  public:
    explicit FakeCar(int* deletions = nullptr) : CountedObject("PLAYER", deletions) {}
    void UpdateWeapon(const Vector3& aimPoint, CPGameObject* target) override
    {
        aims.push_back(aimPoint);
        targets.push_back(target);
    }
    std::vector<Vector3> aims;
    std::vector<CPGameObject*> targets;
};

// A plain object that counts its deletion.
class CountedPlainObject : public CPObject {
  public:
    explicit CountedPlainObject(int* deletions) : m_deletions(deletions) {}
    ~CountedPlainObject() override { ++*m_deletions; }
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "CountedPlainObject"; }

  private:
    int* m_deletions;
};

// A spatial index that answers what a test tells it and records the calls.
class FakeLevelIndex : public CPObject, public CPLevelIndex {
  public:
    explicit FakeLevelIndex(int* deletions = nullptr) : m_deletions(deletions) {}
    ~FakeLevelIndex() override
    {
        if (m_deletions)
            ++*m_deletions;
    }
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "FakeLevelIndex"; }

    bool IntersectRay(RayQuery& ray) override
    {
        ++rayTests;
        if (!hitObject)
            return false;
        return hitObject->IntersectRay(ray);
    }
    void CollectInSphere(const Vector3&, float, std::vector<CPObjectPtr>& result) override
    {
        ++sphereQueries;
        for (const CPObjectPtr& object : sphereAnswer)
            result.push_back(object);
    }
    void CollectRootItems(std::vector<CPObjectPtr>& result) override
    {
        for (const CPObjectPtr& object : items)
            result.push_back(object);
    }

    // Tested by the ray as the static scene.
    CPGameObject* hitObject = nullptr;
    std::vector<CPObjectPtr> sphereAnswer;
    std::vector<CPObjectPtr> items;
    int rayTests = 0;
    int sphereQueries = 0;

  private:
    int* m_deletions;
};

// Gives the object a pickable cube of half size h at the position: its part
// box and its own box.
inline void PlaceCube(CPGameObject& object, const Vector3& position, float h)
{
    object.SetShadow(false);
    object.SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {h, h, h}));
    object.GetPartBoxes().push_back(CPBoundingBox({0.0f, 0.0f, 0.0f}, {h, h, h}));
    object.SetPosition(position);
    object.UpdateBounds();
}
