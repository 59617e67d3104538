#include "Render/MeshPhysics.h"

#include "core/GameObject.h"
#include "core/GameObjectParts.h"
#include "core/Log.h"

using namespace meshfile;

void DescribeBody(CPPhysicsPart& physics, const PartRecord& body)
{
    physics.SetBox(body.sizes[0], body.sizes[1], body.sizes[2], body.mass);
}

void AddCollisionPart(CPPhysicsPart& physics, const PartRecord& part)
{
    const float s1 = part.sizes[0];
    const float s2 = part.sizes[1];
    const float s3 = part.sizes[2];
    if (part.kind == kBoxPart) {
        const Vector3 centre{part.position.x, part.position.y, part.position.z + s2 * 0.5f};
        physics.AddBoxPart(centre, part.rotation, s1, s2, s3, part.mass);
    } else if (part.kind == kCylinderPart) {
        physics.AddCylinderPart(part.position, Conjugated(part.rotation), part.cylinderSize, s2, part.mass);
    }
}

CPPhysicsPart* AttachBody(CPGameObject& object, const PartRecord& body)
{
    CPObjectPtr data = NewPhysicData(&object);
    if (!data) {
        LogLine("No physics to hold the body of node \"" + object.GetName() + "\"");
        return nullptr;
    }
    object.SetPhysicData(data);
    CPPhysicsPart* physics = object.GetPhysicsPart();
    if (physics)
        DescribeBody(*physics, body);
    return physics;
}
