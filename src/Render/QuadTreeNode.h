#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/AxisBox.h"
#include "core/Object.h"
#include "platform/MathTypes.h"

class CPPerspectiveCamera;

// A node of the quad tree over a level's ground plane (x and y; z is up).
// The static objects of a level are sorted in once, when the level loads;
// each frame the tree is walked with the scene camera, skipping subtrees
// outside the view volume, and the leaves near enough to the eye hand their
// objects to the renderer's render list.
//
// A leaf's box is the box of its objects (of its cell while it has none),
// an inner node's the union of its children's, so the boxes follow the
// objects rather than the grid.
class CPQuadTreeNode {
  public:
    // Deeper trees are cut to this depth: each level multiplies the nodes
    // by four.
    static constexpr std::int32_t kDepthLimit = 8;

    // A level's root over the ground extents (the larger one in x and y,
    // 100 up and down), built from the objects; null when the maximum depth
    // is 0, for no tree.
    static std::unique_ptr<CPQuadTreeNode> MakeRoot(const std::vector<CPObjectPtr>& objects, float extentX,
                                                    float extentY);

    CPQuadTreeNode() = default;
    virtual ~CPQuadTreeNode();
    CPQuadTreeNode(const CPQuadTreeNode&) = delete;
    CPQuadTreeNode& operator=(const CPQuadTreeNode&) = delete;

    // A new box from its centre and half extents.
    void SetBounds(const Vector3& centre, const Vector3& half);
    // Stores the node under the index 0 to 3 (taking it over), deleting the
    // one held there before. False, deleting the node, for another index.
    bool SetChild(int index, CPQuadTreeNode* node);
    // An object handed over with its subtree.
    void AddObject(CPObjectPtr object);
    // An object handed over without its children.
    void AddSingleObject(CPObjectPtr object);

    // Sorts the objects into this node's subtree, down to the maximum
    // depth (the quad-tree setting). Every object lands in exactly one
    // leaf: the quarter its position lies in, an object on a dividing line
    // going to the upper side and one outside the node to the nearest
    // quarter. Entries that are no game objects are left out.
    void Build(std::vector<CPObjectPtr> objects, std::int32_t depth);

    // Visits the children whose boxes the camera may see; a leaf within the
    // view distance of the eye (its centre strictly nearer) hands its
    // objects to the renderer's render list.
    void Walk(CPPerspectiveCamera& camera);

    CPQuadTreeNode* GetChild(int index) const;
    bool IsLeaf() const;
    const AxisBox* GetBounds() const { return m_bounds.get(); }
    const std::vector<CPObjectPtr>& GetTreeObjects() const { return m_treeObjects; }
    const std::vector<CPObjectPtr>& GetSingleObjects() const { return m_singleObjects; }

  private:
    void BuildLeaf(const std::vector<CPObjectPtr>& objects);
    void HandOver();

    std::unique_ptr<CPQuadTreeNode> m_children[4];
    std::vector<CPObjectPtr> m_treeObjects;
    std::vector<CPObjectPtr> m_singleObjects;
    std::unique_ptr<AxisBox> m_bounds;
};

// The depth of the quad tree levels are sorted into; 0 builds no tree.
std::int32_t GetQuadTreeMaxDepth();
