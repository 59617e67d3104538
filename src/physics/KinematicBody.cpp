#include "physics/KinematicBody.h"

#include "physics/Rotation.h"

void PhKinematicBody::SetPos(const Vector4& value)
{
    position = value;
    UpdateWorldBounds(rotationRows, position);
    moved = 1;
}

void PhKinematicBody::SetRotation(const Quaternion& rotation)
{
    PhQuaternionToRows(rotation, rotationRows);
    // Refreshing here too keeps a body that is placed before it is turned
    // (the level does so) from keeping bounds of the unturned shape.
    UpdateWorldBounds(rotationRows, position);
    moved = 1;
}
