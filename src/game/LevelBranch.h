#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/AxisBox.h"
#include "core/Object.h"
#include "core/RayQuery.h"
#include "game/LevelIndex.h"
#include "game/SceneBranches.h"
#include "platform/MathTypes.h"

class CPGameObject;
class CPPerspectiveCamera;
class CPRender;
class CPRenderList;

// A node of the binary tree over a level's static scene objects. Each node
// cuts its objects at the middle of the spread of their centres along x,
// then y, then z, and keeps the cut whose two halves hold the fewest
// distinct materials, so that a visible subtree draws in few batches. The
// tree answers ray tests, sphere queries and the per-frame draw walk, and
// its leaves list the bonus objects they hold.
//
// Ownership: a node owns its two children; the objects belong to the level.
class CPLevelBranch : public CPObject, public CPLevelIndex, public CPSceneBranches {
  public:
    // Beyond this distance from the eye an object with levels of detail is
    // not drawn at all.
    static constexpr std::int32_t kViewDistance = 200;

    CPLevelBranch() = default;
    ~CPLevelBranch() override;
    CPLevelBranch(const CPLevelBranch&) = delete;
    CPLevelBranch& operator=(const CPLevelBranch&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPLevelBranch); }
    std::string GetTypeName() const override { return "CPLevelBranch"; }

    // Takes the objects (anything but game objects is passed over), the
    // union of their world boxes, the distinct materials and geometry sizes
    // of their drawn meshes, and sorts them into plain and detail objects.
    void Build(const std::vector<CPObjectPtr>& objects);
    // Cuts the node and its children until no cut separates the objects;
    // the leaves then list their bonus objects.
    void Split();

    // Whether any object of the subtree was hit; the ray keeps the nearest.
    bool IntersectRay(RayQuery& ray) override;
    // Appends every object whose tree box lies within the radius.
    void CollectInSphere(const Vector3& point, float radius, std::vector<CPObjectPtr>& result) override;
    // The bonus objects of every leaf, in tree order.
    void CollectRootItems(std::vector<CPObjectPtr>& result) override;

    // The draw walk: the leaves inside the camera's view hand their objects
    // to the renderer's scene list, objects with levels of detail by their
    // distance from the current camera's eye.
    void CollectVisible(CPPerspectiveCamera& camera);
    // The walk as the race asks it each frame; nothing without a camera.
    void CollectVisible(CPPerspectiveCamera* camera) override
    {
        if (camera)
            CollectVisible(*camera);
    }
    // Deactivates the plain objects of this node.
    void DeactivatePlainObjects() override;

    bool IsLeaf() const { return !m_left && !m_right; }
    CPLevelBranch* GetLeft() const { return m_left; }
    CPLevelBranch* GetRight() const { return m_right; }
    const AxisBox& GetBox() const { return m_box; }
    const std::vector<CPObjectPtr>& GetObjects() const { return m_objects; }
    const std::vector<CPObjectPtr>& GetPlainObjects() const { return m_plainObjects; }
    const std::vector<CPObjectPtr>& GetDetailObjects() const { return m_detailObjects; }
    const std::vector<CPObjectPtr>& GetBonusObjects() const { return m_bonusObjects; }
    const std::vector<Vector3>& GetBonusPositions() const { return m_bonusPositions; }
    std::size_t GetMaterialCount() const { return m_materials.size(); }
    std::uint32_t GetVertexCount() const { return m_vertexCount; }
    std::uint32_t GetIndexCount() const { return m_indexCount; }

    // The entry of an object's levels of detail that the walk draws at the
    // squared distance from the eye: null when it is too far for any.
    static CPGameObject* ChooseDetail(CPGameObject& object, float distanceSquared);
    // Whether the first "_"-separated token of the type text is "bonus".
    static bool IsBonusText(const std::string& text);

  private:
    // A candidate cut along one axis: the two new branches, or none when
    // one side would stay empty.
    bool Cut(int axis, const Vector3& middle, CPLevelBranch*& high, CPLevelBranch*& low) const;
    void TakeCut(CPLevelBranch* high, CPLevelBranch* low);
    void ListBonuses();
    void AddMaterial(const CPObjectPtr& material);
    void CountObject(CPGameObject& object);
    // What the leaves of one draw walk hand their objects to, found once
    // for the walk.
    struct DrawTarget {
        CPRender& render;
        CPRenderList* list;
        CPPerspectiveCamera* eye;
    };
    void CollectVisible(CPPerspectiveCamera& camera, const DrawTarget& target);
    void DrawLeaf(const DrawTarget& target);

    std::unordered_set<const CPObject*> m_materials{100};
    AxisBox m_box;
    CPLevelBranch* m_left = nullptr;
    CPLevelBranch* m_right = nullptr;
    std::vector<CPObjectPtr> m_objects;
    std::vector<CPObjectPtr> m_bonusObjects;
    std::vector<Vector3> m_bonusPositions;
    std::vector<CPObjectPtr> m_plainObjects;
    std::vector<CPObjectPtr> m_detailObjects;
    // The game objects of m_detailObjects, in the same order, for the walk.
    std::vector<CPGameObject*> m_detailGameObjects;
    std::uint32_t m_vertexCount = 0;
    std::uint32_t m_indexCount = 0;
};
