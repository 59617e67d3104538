#pragma once

#include <cstdint>

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPGameObject;
struct CPAnimationRequest;

// A game object holds a render object, named animations and physics data
// whose classes belong to the renderer and the physics, both built on core.
// The object reaches them only through these interfaces, which those classes
// implement; core names none of them.

// A render object of any kind, or an animation of the object. What a kind
// does not do is left as it is.
class CPRenderPart {
  public:
    // The game object's render kind (CPGameObject::RenderKind) this part
    // stands for.
    virtual std::int32_t GetPartKind() const = 0;
    // A render object of the same kind that belongs to the owner, as a game
    // object built from a prototype holds it. Tasks are copied by
    // duplicating themselves instead.
    virtual CPObjectPtr CopyFor(CPGameObject*) { return CPObjectPtr(); }
    virtual void SetOwner(CPGameObject* owner) = 0;

    // Meshes follow their owner's world matrix.
    virtual void SetTransform(const Matrix4&) {}
    // Meshes and animated objects can be put in another material.
    virtual void SetMaterial(CPObjectPtr) {}
    // Animated objects play the requested animation from the game time.
    virtual bool StartAnimation(const CPAnimationRequest&, bool, double) { return false; }

    // For the animations stored under a name: a part animation loops as the
    // idle one, and a built object gets a track of its own.
    virtual void SetLooping(bool) {}
    virtual CPObjectPtr CopyAnimationFor(CPGameObject*) { return CPObjectPtr(); }

  protected:
    ~CPRenderPart() = default;
};

// The physics data: the game object moves its body and gives a built
// object a description of its own.
class CPPhysicsPart {
  public:
    virtual void SetPosition(const Vector3& position) = 0;
    virtual void SetRotation(const Quaternion& rotation) = 0;
    // New physics data for the owner with this one's description and no body.
    virtual CPObjectPtr CopyFor(CPGameObject* owner) const = 0;

  protected:
    ~CPPhysicsPart() = default;
};

// Where a burning object's flames come from: the effect manager's particle
// systems by index. Null until the effect manager is made.
class CPFlameSource {
  public:
    // A copy of the particle system at the index, or empty (logged) for a
    // bad index.
    virtual CPObjectPtr DuplicateParticleSystem(int index) = 0;

  protected:
    ~CPFlameSource() = default;
};

CPFlameSource* GetFlameSource();
void SetFlameSource(CPFlameSource* source);
