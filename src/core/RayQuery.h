#pragma once

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPGameObject;

// A ray cast into the scene and what it met nearest so far. Every test the
// ray passes through shortens its length to the distance of a nearer hit,
// so the last hit recorded is the nearest.
struct RayQuery {
    // An object the ray must not hit, with all its parts (the shooter); may
    // be null.
    const CPGameObject* ignored = nullptr;
    // The object whose part the ray hit, and that object's script owner.
    CPObjectPtr hitObject;
    CPObjectPtr hitOwner;
    // Where the ray ended, origin + direction * length; written by the
    // level's tests once they are done.
    Vector3 hitPoint;
    float length = 0.0f;
    // The plane of the face that was hit.
    Plane hitFace;
    Vector3 origin;
    // Unit length.
    Vector3 direction;
};
