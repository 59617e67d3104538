#include "Render/QuadTreeNode.h"

#include <algorithm>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/RenderSettings.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "platform/Math.h"

std::int32_t GetQuadTreeMaxDepth() { return GetGameSettings().quadTree; }

std::unique_ptr<CPQuadTreeNode> CPQuadTreeNode::MakeRoot(const std::vector<CPObjectPtr>& objects,
                                                         float extentX, float extentY)
{
    if (GetQuadTreeMaxDepth() == 0)
        return nullptr;
    auto root = std::make_unique<CPQuadTreeNode>();
    const float s = 0.5f * std::max(extentX, extentY);
    root->SetBounds({0.0f, 0.0f, 0.0f}, {s, s, 100.0f});
    root->Build(objects, 0);
    return root;
}

CPQuadTreeNode::~CPQuadTreeNode() = default;

void CPQuadTreeNode::SetBounds(const Vector3& centre, const Vector3& half)
{
    m_bounds = std::make_unique<AxisBox>();
    m_bounds->minimum = centre - half;
    m_bounds->maximum = centre + half;
    m_bounds->halfSize = half;
    m_bounds->centre = centre;
}

bool CPQuadTreeNode::SetChild(int index, CPQuadTreeNode* node)
{
    std::unique_ptr<CPQuadTreeNode> taken(node);
    if (index < 0 || index > 3) {
        LogLine("CPQuadTreeNode::SetChild: no child index " + std::to_string(index) +
                "; the node is deleted");
        return false;
    }
    m_children[index] = std::move(taken);
    return true;
}

void CPQuadTreeNode::AddObject(CPObjectPtr object) { m_treeObjects.push_back(object); }

void CPQuadTreeNode::AddSingleObject(CPObjectPtr object) { m_singleObjects.push_back(object); }

CPQuadTreeNode* CPQuadTreeNode::GetChild(int index) const
{
    return index >= 0 && index < 4 ? m_children[index].get() : nullptr;
}

bool CPQuadTreeNode::IsLeaf() const
{
    return !m_children[0] && !m_children[1] && !m_children[2] && !m_children[3];
}

void CPQuadTreeNode::Build(std::vector<CPObjectPtr> objects, std::int32_t depth)
{
    std::int32_t maxDepth = GetQuadTreeMaxDepth();
    if (maxDepth > kDepthLimit) {
        if (depth == 0)
            LogLine("CPQuadTreeNode::Build: a depth of " + std::to_string(maxDepth) + " is cut to " +
                    std::to_string(kDepthLimit));
        maxDepth = kDepthLimit;
    }
    const auto skipped = std::remove_if(objects.begin(), objects.end(),
                                        [](const CPObjectPtr& object) { return !object.As<CPGameObject>(); });
    if (skipped != objects.end()) {
        LogLine("CPQuadTreeNode::Build: " + std::to_string(objects.end() - skipped) +
                " entries are no game objects; left out of the tree");
        objects.erase(skipped, objects.end());
    }
    if (depth >= maxDepth) {
        BuildLeaf(objects);
        return;
    }
    if (!m_bounds) {
        LogLine(
            "CPQuadTreeNode::Build: a node without bounds cannot be divided; it holds its objects itself");
        BuildLeaf(objects);
        return;
    }

    const Vector3 c = m_bounds->centre;
    const Vector3 h = m_bounds->halfSize;
    const Vector3 quarter{h.x / 2.0f, h.y / 2.0f, h.z};
    // Child order: (-x, -y), (+x, +y), (+x, -y), (-x, +y).
    const float signX[4] = {-1.0f, 1.0f, 1.0f, -1.0f};
    const float signY[4] = {-1.0f, 1.0f, -1.0f, 1.0f};
    std::unique_ptr<CPQuadTreeNode> children[4];
    std::vector<CPObjectPtr> lists[4];
    for (int i = 0; i < 4; ++i) {
        children[i] = std::make_unique<CPQuadTreeNode>();
        children[i]->SetBounds({c.x + signX[i] * quarter.x, c.y + signY[i] * quarter.y, c.z}, quarter);
    }
    for (const CPObjectPtr& object : objects) {
        const Vector3& p = static_cast<CPGameObject*>(object.Get())->GetPosition();
        const bool high_x = p.x >= c.x;
        const bool high_y = p.y >= c.y;
        const int index = high_x ? (high_y ? 1 : 2) : (high_y ? 3 : 0);
        lists[index].push_back(object);
    }

    AxisBox box;
    for (int i = 0; i < 4; ++i) {
        children[i]->Build(std::move(lists[i]), depth + 1);
        if (const AxisBox* childBounds = children[i]->GetBounds())
            box.Merge(*childBounds);
    }
    if (!box.IsEmpty())
        SetBounds(box.centre, box.halfSize);
    for (int i = 0; i < 4; ++i)
        SetChild(i, children[i].release());
}

void CPQuadTreeNode::BuildLeaf(const std::vector<CPObjectPtr>& objects)
{
    AxisBox box;
    if (m_bounds)
        box = *m_bounds;
    if (!objects.empty())
        box = static_cast<CPGameObject*>(objects.front().Get())->GetOwnBox();
    for (const CPObjectPtr& object : objects) {
        AddObject(object);
        box.Merge(static_cast<CPGameObject*>(object.Get())->GetOwnBox());
    }
    // Objects without extent leave the cell's box in place.
    if (box.IsEmpty())
        return;
    box.Recompute();
    SetBounds(box.centre, box.halfSize);
}

void CPQuadTreeNode::Walk(CPPerspectiveCamera& camera)
{
    for (const auto& child : m_children) {
        if (!child || !child->m_bounds)
            continue;
        if (camera.IsBoxVisible(child->m_bounds->minimum, child->m_bounds->maximum))
            child->Walk(camera);
    }
    if (!IsLeaf() || m_treeObjects.empty() || !m_bounds)
        return;
    const Vector3 d = camera.Eye() - m_bounds->centre;
    const double reach = static_cast<double>(GetRenderSettings().viewDistance);
    if (static_cast<double>(Dot(d, d)) < reach * reach)
        HandOver();
}

void CPQuadTreeNode::HandOver()
{
    CPRender* render = GetRender();
    if (!render)
        return;
    CPObjectPtr list;
    render->GetSceneObject(list);
    auto* renderList = list.As<CPRenderList>();
    if (!renderList)
        return;
    render->SetHandedOverCount(render->GetHandedOverCount() +
                               static_cast<std::int32_t>(m_treeObjects.size()));
    for (const CPObjectPtr& object : m_treeObjects)
        renderList->AddObjectTree(object);
    render->SetHandedOverCount(render->GetHandedOverCount() +
                               static_cast<std::int32_t>(m_singleObjects.size()));
    for (const CPObjectPtr& object : m_singleObjects)
        renderList->AddObject(object);
}
