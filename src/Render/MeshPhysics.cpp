#include "Render/MeshPhysics.h"

#include "physics/PhysicData.h"

// PENDING: the physics data's body description arrives with the physics world.
void DescribeBody(CPPhysicData&, const meshfile::PartRecord&) {}
void AddCollisionPart(CPPhysicData&, const meshfile::PartRecord&) {}
