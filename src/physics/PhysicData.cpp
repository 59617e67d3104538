#include "physics/PhysicData.h"

// The simulator bodies are linked in with the physics world; until an
// object has a body there is nothing to move.
void CPPhysicData::SetPosition(const Vector3&) {}

void CPPhysicData::SetRotation(const Quaternion&) {}
