// The node readers of the mesh files: plain nodes, physics nodes and the
// animated nodes of flip-book objects.
#include <cfloat>
#include <cstring>

#include "Render/AnimatedObject.h"
#include "Render/Animation.h"
#include "Render/AnimationCache.h"
#include "Render/MeshPhysics.h"
#include "Render/MeshRecords.h"
#include "Render/RenderObject.h"
#include "Render/RenderObjectLoader.h"
#include "core/FileReader.h"
#include "core/GameObject.h"
#include "core/Log.h"

using namespace meshfile;

namespace {

bool TooDeep(const CPFileReader& reader, int depth)
{
    if (depth <= CPRenderObjectLoader::kMaxNodeDepth)
        return false;
    LogLine("Mesh file \"" + reader.GetFileName() + "\" nests its nodes deeper than " +
            std::to_string(CPRenderObjectLoader::kMaxNodeDepth) + " levels; taken as corrupt");
    return true;
}

bool NodeFits(const CPFileReader& reader, std::uint32_t minimumBytes)
{
    if (reader.GetRemaining() >= minimumBytes)
        return true;
    LogLine("Mesh file \"" + reader.GetFileName() +
            "\" ends inside a node: " + std::to_string(reader.GetRemaining()) +
            " bytes left where a node takes at least " + std::to_string(minimumBytes));
    return false;
}

// Gives up a node read so far: the node, its subtree and what they own go.
CPObjectPtr Abandon(CPGameObject* object)
{
    CPGameObject::DeleteTree(object);
    return CPObjectPtr();
}

// The box round the vertices; a node without vertices gets an empty box at
// its origin.
CPBoundingBox VertexBox(const std::vector<CPMeshVertex>& vertices)
{
    if (vertices.empty())
        return CPBoundingBox();
    Vector3 low{FLT_MAX, FLT_MAX, FLT_MAX};
    Vector3 high{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (const CPMeshVertex& vertex : vertices) {
        const Vector3& p = vertex.position;
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    return CPBoundingBox({(high.x + low.x) * 0.5f, (high.y + low.y) * 0.5f, (high.z + low.z) * 0.5f},
                         {(high.x - low.x) * 0.5f, (high.y - low.y) * 0.5f, (high.z - low.z) * 0.5f});
}

bool ReadParts(CPFileReader& reader, const std::string& name, std::vector<PartRecord>& parts)
{
    std::int32_t count = 0;
    if (!ReadCount(reader, kPartBytes, "collision parts", name, count))
        return false;
    parts.resize(count);
    for (PartRecord& part : parts)
        part = ReadPart(reader);
    return true;
}

// The child of that name; the last one added under it, as the children's
// name map keeps it. Null when there is none.
CPGameObject* ChildNamed(const CPGameObject& parent, const std::string& name)
{
    const auto& children = parent.GetChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* child = static_cast<CPGameObject*>(it->Get());
        if (child->GetName() == name)
            return child;
    }
    return nullptr;
}

} // namespace

bool CPRenderObjectLoader::ReadGeometry(CPFileReader& reader, CPGameObject& object, const std::string& name)
{
    auto* mesh = object.GetRenderObject().As<CPRenderObject>();
    std::int32_t vertexCount = 0;
    if (!ReadCount(reader, kVertexBytes, "vertices", name, vertexCount))
        return false;
    std::vector<CPMeshVertex>& vertices = mesh->GetVertices();
    vertices.resize(vertexCount);
    reader.ReadBytes(vertices.data(), vertices.size() * kVertexBytes);
    for (CPMeshVertex& vertex : vertices)
        vertex.diffuse = m_vertexColour;

    std::int32_t indexCount = 0;
    if (!ReadCount(reader, kIndexBytes, "indices", name, indexCount))
        return false;
    std::vector<std::uint16_t>& indices = mesh->GetIndices();
    indices.resize(indexCount);
    reader.ReadBytes(indices.data(), indices.size() * kIndexBytes);
    for (std::uint16_t index : indices) {
        if (index >= vertices.size()) {
            LogLine("Mesh file \"" + reader.GetFileName() + "\": node \"" + name + "\" has the index " +
                    std::to_string(index) + " with " + std::to_string(vertices.size()) + " vertices");
            return false;
        }
    }
    mesh->GetWorldVertices() = vertices;
    return true;
}

void CPRenderObjectLoader::AddCollisionParts(CPGameObject& object, const std::vector<PartRecord>& parts)
{
    CPPhysicsPart* physics = object.GetPhysicsPart();
    for (const PartRecord& part : parts) {
        if (part.kind != kBoxPart && part.kind != kCylinderPart)
            continue;
        // Without a body (an animated node of no mass) there is nothing to
        // collide with; box parts still give the object's pick boxes.
        if (physics)
            AddCollisionPart(*physics, part);
        if (part.kind == kBoxPart)
            object.GetPartBoxes().push_back(PartBox(part));
    }
}

CPObjectPtr CPRenderObjectLoader::ReadMeshNode(CPFileReader& reader, const SceneSections& sections,
                                               int option, int depth)
{
    if (TooDeep(reader, depth) || !NodeFits(reader, kMinPlainNode))
        return CPObjectPtr();
    reader.ReadInt(); // node word
    const std::string name = ReadName(reader);
    auto* object = new CPGameObject(name);
    object->SetRenderObject(new CPRenderObject(object), CPGameObject::kMeshObject);
    if (!ReadGeometry(reader, *object, name))
        return Abandon(object);

    std::int32_t boxCount = 0;
    if (!ReadCount(reader, kPartBoxBytes, "part boxes", name, boxCount))
        return Abandon(object);
    for (std::int32_t i = 0; i < boxCount; ++i) {
        float record[kPartBoxBytes / 4];
        reader.ReadBytes(record, kPartBoxBytes);
        object->GetPartBoxes().emplace_back(Vector3{record[0], record[1], record[2]},
                                            Vector3{record[4], record[5], record[6]});
    }

    std::int32_t childCount = 0;
    if (!ReadCount(reader, kMinPlainNode, "children", name, childCount))
        return Abandon(object);
    for (std::int32_t i = 0; i < childCount; ++i) {
        CPObjectPtr child = ReadMeshNode(reader, sections, option, depth + 1);
        if (!child)
            return Abandon(object);
        object->AddChild(child);
    }
    ReadRenderDescription(object, sections.count(name) ? sections.at(name) : SceneSection(), option);
    return object;
}

CPObjectPtr CPRenderObjectLoader::ReadPhysicsMeshNode(CPFileReader& reader, const SceneSections& sections,
                                                      int option, int depth)
{
    if (TooDeep(reader, depth) || !NodeFits(reader, kMinPhysicsNode))
        return CPObjectPtr();
    reader.ReadInt(); // node word
    const std::string name = ReadName(reader);
    const Placement placement = ReadPlacement(reader);
    const PartRecord body = ReadPart(reader);

    auto* object = new CPGameObject(name);
    if (!AttachBody(*object, body))
        return Abandon(object);
    object->SetPosition(placement.position);
    object->SetRotation(Conjugated(placement.rotation));

    object->SetRenderObject(new CPRenderObject(object), CPGameObject::kMeshObject);
    if (!ReadGeometry(reader, *object, name))
        return Abandon(object);
    object->SetBoundingBox(VertexBox(object->GetRenderObject().As<CPRenderObject>()->GetVertices()));

    std::vector<PartRecord> parts;
    if (!ReadParts(reader, name, parts))
        return Abandon(object);
    AddCollisionParts(*object, parts);

    std::int32_t childCount = 0;
    if (!ReadCount(reader, kMinPhysicsNode, "children", name, childCount))
        return Abandon(object);
    for (std::int32_t i = 0; i < childCount; ++i) {
        CPObjectPtr child = ReadPhysicsMeshNode(reader, sections, option, depth + 1);
        if (!child)
            return Abandon(object);
        object->AddChild(child);
    }
    ReadRenderDescription(object, sections.count(name) ? sections.at(name) : SceneSection(), option);
    return object;
}

CPObjectPtr CPRenderObjectLoader::ReadAnimatedNode(CPFileReader& reader, const SceneSections& sections,
                                                   int option, const std::string& animationName, int depth)
{
    if (TooDeep(reader, depth) || !NodeFits(reader, kMinAnimatedNode))
        return CPObjectPtr();
    const std::string name = ReadName(reader);
    ReadPlacement(reader); // the flip-book frames carry the placement
    const PartRecord body = ReadPart(reader);
    const PartRecord ownPart = ReadPart(reader);

    auto* object = new CPGameObject(name);
    if (body.mass > 0.0f && !AttachBody(*object, body))
        return Abandon(object);
    auto* animated = new CPAnimatedObject();
    animated->SetOwner(object);
    object->SetRenderObject(animated, CPGameObject::kAnimatedObject);

    CPAnimationCache* cache = GetAnimationCache();
    if (!cache) {
        LogLine("No animation cache to hold the frames of node \"" + name + "\" of \"" +
                reader.GetFileName() + "\"");
        return Abandon(object);
    }
    CPObjectPtr animation = cache->GetAnimation(name + "&" + m_animatedMeshFile, reader, m_vertexColour);
    if (!animation)
        return Abandon(object);
    animated->AddAnimation(animationName, animation);
    object->SetBoundingBox(ownPart.mass > 0.0f ? PartBox(ownPart) : animation.As<CPAnimation>()->GetBounds());

    std::vector<PartRecord> parts;
    if (!ReadParts(reader, name, parts))
        return Abandon(object);
    AddCollisionParts(*object, parts);

    std::int32_t childCount = 0;
    if (!ReadCount(reader, kMinAnimatedNode, "children", name, childCount))
        return Abandon(object);
    for (std::int32_t i = 0; i < childCount; ++i) {
        CPObjectPtr child = ReadAnimatedNode(reader, sections, option, animationName, depth + 1);
        if (!child)
            return Abandon(object);
        object->AddChild(child);
    }
    ReadRenderDescription(object, sections.count(name) ? sections.at(name) : SceneSection(), option);
    return object;
}

bool CPRenderObjectLoader::AddNodeAnimations(CPObjectPtr node, CPFileReader& reader,
                                             const std::string& animationName, int depth)
{
    auto* object = node.As<CPGameObject>();
    if (!object)
        return SkipAnimatedNode(reader, depth);
    if (TooDeep(reader, depth) || !HasBytes(reader, kMinAnimatedBody, "fields", object->GetName()))
        return false;
    ReadPlacement(reader);
    ReadPart(reader); // body and own part come from the first file
    ReadPart(reader);

    CPAnimationCache* cache = GetAnimationCache();
    if (!cache) {
        LogLine("No animation cache to hold the frames of \"" + reader.GetFileName() + "\"");
        return false;
    }
    CPObjectPtr animation =
        cache->GetAnimation(object->GetName() + "&" + m_animatedMeshFile, reader, m_vertexColour);
    if (!animation)
        return false;
    if (auto* animated = object->GetRenderObject().As<CPAnimatedObject>())
        animated->AddAnimation(animationName, animation);

    std::int32_t partCount = 0;
    if (!ReadCount(reader, kPartBytes, "collision parts", object->GetName(), partCount))
        return false;
    SkipBytes(reader, static_cast<std::uint32_t>(partCount) * kPartBytes);

    std::int32_t childCount = 0;
    if (!ReadCount(reader, kMinAnimatedNode, "children", object->GetName(), childCount))
        return false;
    for (std::int32_t i = 0; i < childCount; ++i) {
        if (!HasBytes(reader, kNameBytes, "child name", object->GetName()))
            return false;
        CPGameObject* child = ChildNamed(*object, ReadName(reader));
        if (!AddNodeAnimations(CPObjectPtr(child), reader, animationName, depth + 1))
            return false;
    }
    return true;
}

bool CPRenderObjectLoader::SkipAnimatedNode(CPFileReader& reader, int depth)
{
    const std::string what = "(not in the tree)";
    if (TooDeep(reader, depth) || !HasBytes(reader, kMinAnimatedBody, "fields", what))
        return false;
    SkipBytes(reader, kPlacementBytes + 2 * kPartBytes);
    std::int32_t frameCount = 0;
    if (!ReadCount(reader, 8, "animation frames", what, frameCount))
        return false;
    reader.ReadFloat(); // rate
    for (std::int32_t frame = 0; frame < frameCount; ++frame) {
        std::int32_t count = 0;
        if (!ReadCount(reader, kVertexBytes, "frame vertices", what, count))
            return false;
        SkipBytes(reader, static_cast<std::uint32_t>(count) * kVertexBytes);
        if (!ReadCount(reader, kIndexBytes, "frame indices", what, count))
            return false;
        SkipBytes(reader, static_cast<std::uint32_t>(count) * kIndexBytes);
    }
    std::int32_t partCount = 0;
    if (!ReadCount(reader, kPartBytes, "collision parts", what, partCount))
        return false;
    SkipBytes(reader, static_cast<std::uint32_t>(partCount) * kPartBytes);
    std::int32_t childCount = 0;
    if (!ReadCount(reader, kNameBytes + kMinAnimatedBody, "children", what, childCount))
        return false;
    for (std::int32_t i = 0; i < childCount; ++i) {
        SkipBytes(reader, kNameBytes);
        if (!SkipAnimatedNode(reader, depth + 1))
            return false;
    }
    return true;
}
