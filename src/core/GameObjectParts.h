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
// object a description of its own; the mesh readers describe its body and
// collision parts as they read them; the ground decals are cut to the
// terrain triangles it found under its body.
class CPPhysicsPart {
  public:
    virtual void SetPosition(const Vector3& position) = 0;
    virtual void SetRotation(const Quaternion& rotation) = 0;
    // New physics data for the owner with this one's description and no body.
    virtual CPObjectPtr CopyFor(CPGameObject* owner) const = 0;

    // The dynamic body: a box of sizes (a, b, c) and its mass.
    virtual void SetBox(float a, float b, float c, float mass) = 0;
    virtual void AddBoxPart(const Vector3& position, const Quaternion& rotation, float s1, float s2, float s3,
                            float mass) = 0;
    virtual void AddCylinderPart(const Vector3& position, const Quaternion& rotation, float diameter,
                                 float height, float mass) = 0;

    // The numbers of the level collision mesh's triangles near the body,
    // as the last terrain query listed them, and how many are in use.
    static constexpr std::int32_t kTerrainQuerySize = 1000;
    virtual const std::int32_t* GetTerrainTriangles() const = 0;
    virtual std::int32_t GetTerrainTriangleCount() const = 0;

  protected:
    ~CPPhysicsPart() = default;
};

// Makes new physics data for an object; the physics layer is the maker,
// installed by whoever owns the services. Without one, NewPhysicData
// answers an empty pointer.
using CPPhysicDataMaker = CPObjectPtr (*)(CPGameObject* owner);
void SetPhysicDataMaker(CPPhysicDataMaker maker);
CPPhysicDataMaker GetPhysicDataMaker();
CPObjectPtr NewPhysicData(CPGameObject* owner);

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
