// Damage zones of a deformable body: how they are prepared from the body's
// vertices and those of its parts, and how an impact dents them.

#include <cstdint>
#include <string>
#include <vector>

#include "Render/ImpactReach.h"
#include "Render/RenderObject.h"
#include "core/GameObject.h"
#include "core/Log.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

// Vertices closer than this to the first vertex of a group join it.
constexpr float kGroupDistance = 0.1f;
// Groups closer than this to the first group of a zone join it.
constexpr float kZoneDistance = 0.3f;
// A zone spanning less than this gets a fixed cube of this half extent.
constexpr float kSmallZoneSpan = 0.4f;
constexpr float kSmallZoneHalfExtent = 0.3f;
// How far along the impact direction (in lengths of the direction) a zone
// box is still reached.
constexpr float kImpactReach = 1.7f;
// Impacts of this strength or less leave no mark.
constexpr float kLeastStrength = 0.01f;
// Each axis of a dented normal turns by up to this many radians either way.
constexpr float kMaxTilt = 0.05f;

constexpr std::uint32_t kGatheredColour = 0xFFFFFFFF;
constexpr std::uint32_t kDentColour = 0x96FFFFFF; // white at alpha 150

// Wheels turn and spin on their own, so they never take dents.
bool IsWheel(const std::string& name)
{
    static const char* const kWheelNames[] = {"w0", "w0d", "w1", "w1d", "w2", "w2d", "w3", "w3d"};
    for (const char* wheel : kWheelNames)
        if (name == wheel)
            return true;
    return false;
}

// A mesh of the body's tree that takes part in the deformation.
struct Part {
    CPRenderObject* object;
    Matrix4 ownerWorld;
};

// The owner first, then its descendants depth first: every object with a
// mesh render object that is not a wheel. The owner's own mesh is among
// them when it has one.
std::vector<Part> CollectParts(CPGameObject& owner)
{
    std::vector<CPObjectPtr> objects;
    owner.CollectObjects(objects);
    std::vector<Part> parts;
    for (const CPObjectPtr& entry : objects) {
        const auto* object = entry.As<CPGameObject>();
        if (!object || object->GetRenderKind() != CPGameObject::kMeshObject || IsWheel(object->GetName()))
            continue;
        if (auto* mesh = object->GetRenderObject().As<CPRenderObject>())
            parts.push_back({mesh, object->GetWorldMatrix()});
    }
    return parts;
}

// A referenced vertex and where it lay when gathered (in its own object's
// local space: positions of different objects are compared as they are).
struct GatheredVertex {
    CPVertexRef ref;
    Vector3 position;
};

// Positions of the first member of each group, beside the groups.
struct Grouping {
    std::vector<CPVertexGroup> groups;
    std::vector<Vector3> positions;
};

// Each vertex not yet taken starts a group; every later one not yet taken
// that lies closer than the threshold to the starting vertex joins it.
Grouping GroupVertices(const std::vector<GatheredVertex>& vertices)
{
    Grouping grouping;
    std::vector<char> taken(vertices.size(), 0);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (taken[i])
            continue;
        CPVertexGroup group{vertices[i].ref};
        for (std::size_t j = i + 1; j < vertices.size(); ++j) {
            if (taken[j] || !(Length(vertices[j].position - vertices[i].position) < kGroupDistance))
                continue;
            group.push_back(vertices[j].ref);
            taken[j] = 1;
        }
        grouping.groups.push_back(std::move(group));
        grouping.positions.push_back(vertices[i].position);
    }
    return grouping;
}

// The box over the zone's group positions. A zone spanning less than
// kSmallZoneSpan gets a fixed cube centred on the low corner of that span.
CPBoundingBox ZoneBox(const std::vector<Vector3>& positions)
{
    Vector3 low = positions.front();
    Vector3 high = positions.front();
    for (const Vector3& position : positions) {
        low = ComponentMin(low, position);
        high = ComponentMax(high, position);
    }
    if (Length(high - low) < kSmallZoneSpan) {
        const float h = kSmallZoneHalfExtent;
        return CPBoundingBox(low, {h, h, h});
    }
    const Vector3 half = (high - low) * 0.5f;
    return CPBoundingBox(low + half, half);
}

// Each group not yet taken starts a zone; every later one not yet taken
// whose position lies closer than the threshold to the starting group's
// joins it. The zone boxes are placed with the owner's world matrix at once,
// so impacts reach them before the body is first drawn.
void BuildZones(Grouping& grouping, const Matrix4& ownerWorld, std::vector<CPDamageZone>& zones)
{
    std::vector<CPVertexGroup>& groups = grouping.groups;
    const std::vector<Vector3>& at = grouping.positions;
    std::vector<char> taken(groups.size(), 0);
    std::vector<Vector3> members;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (taken[i])
            continue;
        CPDamageZone zone;
        zone.groups.push_back(std::move(groups[i]));
        members.assign(1, at[i]);
        for (std::size_t j = i + 1; j < groups.size(); ++j) {
            if (taken[j] || !(Length(at[j] - at[i]) < kZoneDistance))
                continue;
            zone.groups.push_back(std::move(groups[j]));
            members.push_back(at[j]);
            taken[j] = 1;
        }
        zone.box = ZoneBox(members);
        zone.box.worldMatrix = zone.box.localMatrix * ownerWorld;
        zone.box.Transform();
        zones.push_back(std::move(zone));
    }
}

// An angle between -kMaxTilt and kMaxTilt from one random number.
float TiltAngle(int random)
{
    return kMaxTilt -
           (static_cast<float>(random) / static_cast<float>(platform::kRandMax)) * (2.0f * kMaxTilt);
}

// Turns the normal by a small random rotation (three numbers drawn for
// roll, pitch and yaw, in that order) and marks the vertex dented. The
// position stays.
void Dent(CPMeshVertex& vertex)
{
    const float roll = TiltAngle(platform::Rand());
    const float pitch = TiltAngle(platform::Rand());
    const float yaw = TiltAngle(platform::Rand());
    const Matrix4 tilt = RotationMatrixYawPitchRoll(yaw, pitch, roll);
    vertex.normal = Normalize(TransformPoint(vertex.normal, tilt));
    vertex.diffuse = kDentColour;
}

} // namespace

std::weak_ptr<CPRenderObject> CPRenderObject::GetWeakReference()
{
    if (!m_self)
        m_self = std::shared_ptr<CPRenderObject>(this, [](CPRenderObject*) {});
    return m_self;
}

void CPRenderObject::PrepareDeformation()
{
    m_deformable = 1;

    std::vector<Part> parts{{this, m_owner ? m_owner->GetWorldMatrix() : m_transform}};
    if (m_owner) {
        const std::vector<Part> tree = CollectParts(*m_owner);
        parts.insert(parts.end(), tree.begin(), tree.end());
    } else {
        LogLine("CPRenderObject: deformation prepared without an owner; only the object's own vertices "
                "take part");
    }

    std::vector<GatheredVertex> gathered;
    for (const Part& part : parts) {
        std::vector<CPMeshVertex>& vertices = part.object->m_vertices;
        if (vertices.empty())
            continue;
        const auto source = static_cast<std::uint32_t>(m_deformSources.size());
        m_deformSources.push_back({part.object->GetWeakReference(), part.ownerWorld});
        for (std::size_t k = 0; k < vertices.size(); ++k) {
            vertices[k].diffuse = kGatheredColour;
            gathered.push_back({{source, static_cast<std::uint32_t>(k)}, vertices[k].position});
        }
    }

    Grouping grouping = GroupVertices(gathered);
    BuildZones(grouping, parts.front().ownerWorld, m_damageZones);
}

void CPRenderObject::ApplyImpact(const Vector3& point, const Vector3& direction, float strength)
{
    if (!IsDeformable() || !(strength > kLeastStrength))
        return;
    for (CPDamageZone& zone : m_damageZones) {
        if (zone.IsFinished() || !ImpactMayReach(zone.box, point, direction, kImpactReach))
            continue;
        float reach = kImpactReach;
        Plane face;
        if (!zone.box.IntersectRay(point, direction, reach, face))
            continue;
        zone.damage += strength;
        for (const CPVertexGroup& group : zone.groups)
            for (const CPVertexRef& ref : group)
                if (CPMeshVertex* vertex = ReferencedVertex(ref))
                    Dent(*vertex);
    }
}

CPMeshVertex* CPRenderObject::ReferencedVertex(const CPVertexRef& ref) const
{
    // A part deleted since preparation, or one whose mesh was reloaded
    // shorter, has nothing left to dent at this reference.
    if (ref.source >= m_deformSources.size())
        return nullptr;
    const std::shared_ptr<CPRenderObject> object = m_deformSources[ref.source].object.lock();
    if (!object || ref.index >= object->m_vertices.size())
        return nullptr;
    return &object->m_vertices[ref.index];
}
