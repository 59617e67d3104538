#pragma once

// A cheap proof that two boxes are further apart than a gap, by the face
// axes of both: a pair that passes it needs no contact search.

#include <BulletCollision/CollisionShapes/btBoxShape.h>
#include <LinearMath/btTransform.h>

// True when a face axis of one of the boxes parts them by more than gap, so
// no point of one lies within gap of the other. The boxes are taken whole
// (with their margins; the rounded edges lie inside them), and the
// transforms' axes need not be of unit length. False says nothing: the
// boxes may still be apart along some other axis.
bool PhBoxesApart(const btBoxShape& a, const btTransform& ta, const btBoxShape& b, const btTransform& tb,
                  float gap);
