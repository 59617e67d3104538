#pragma once

// Contacts between a box and one triangle of the terrain, by separating
// axes: the axis of least overlap (or most separation) among the box's
// faces, the triangle's plane and the cross products of their edges gives
// the normal, and the triangle clipped against the box face that looks
// along it gives the points. The general convex algorithm needs several
// distance searches (one per turned copy of the box) for what this finds
// in one pass, and resting boxes and cars meet the ground in every step.

#include <BulletCollision/CollisionShapes/btBoxShape.h>
#include <BulletCollision/NarrowPhaseCollision/btDiscreteCollisionDetectorInterface.h>

// Adds to result the contacts of the box at boxTransform and the triangle
// of world corners, up to threshold apart, normals pointing from the
// triangle to the box, each point on the triangle with its depth (negative
// inside the box). False when they are further apart than threshold along
// some axis.
bool PhCollideBoxTriangle(const btBoxShape& box, const btTransform& boxTransform, const btVector3 corners[3],
                          float threshold, btDiscreteCollisionDetectorInterface::Result& result);
