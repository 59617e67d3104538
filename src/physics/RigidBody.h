#pragma once

#include <cstdint>

#include "physics/Body.h"
#include "physics/Contact.h"
#include "physics/Controller.h"
#include "physics/List.h"
#include "platform/MathTypes.h"

class CPFrameListener;

enum PhRigidBodyKind : std::int32_t {
    kPhRigidBody = 0,
    kPhRigidParticle = 1,
};

// A dynamic body with mass and inertia, moved by the stepping under
// gravity, forces, torques and impulses. Rigid particles are the same
// record from their own pool.
//
// A body whose mass is 0 or less does not move: its inverse mass and its
// world inverse inertia are 0, so forces, impulses and momenta leave its
// velocity and angular velocity alone.
struct PhRigidBody : PhBody {
    PhRigidBody();

    float mass = 1.0f;
    float inverseMass = 1.0f;
    Vector4 inverseInertia[3] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}; // body frame
    Vector4 inertia[3] = {};
    Vector4 force = {};
    Vector4 torque = {};
    std::int32_t restCounter1 = 0;
    std::int32_t userFlag = 1;
    // Motion state.
    Quaternion orientation = {0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 motionExtra = {};
    Vector4 angularMomentum = {};
    Matrix4 transform = PhGeometry::IdentityTransform(); // rotation rows, then the position row
    Vector4 velocity = {};
    Vector4 angularVelocity = {};
    Quaternion quaternionRate = {0.0f, 0.0f, 0.0f, 0.0f};
    Vector4 worldInverseInertia[3] = {}; // kept in step with the rotation and the inertia
    std::int32_t restCounter2 = 0;
    PhList<PhController> controllers;
    PhContactSlot contactSlots[3];
    float steppingConstant = 0.2f;
    // The state as of the last wake; the stepping measures rest against it.
    Vector4 restPosition = {};
    Quaternion restOrientation = {0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 restVelocity = {};
    Vector4 restAngularVelocity = {};
    float restExtra[2] = {};
    // |velocity|, kept by the stepping; the game reads it for cameras and
    // drivers.
    float speed = 0.0f;

    PhRigidBody* next = nullptr;
    PhRigidBody* prev = nullptr;
    std::uint8_t inUse = 0;
    std::int32_t kind = kPhRigidBody;

    void SetMass(float value);
    // The diagonal tensor and its inverse; a tensor whose determinant is
    // below 1e-17 in magnitude keeps the inverse it had.
    void SetInertiaTensor(const Vector4& diagonal);

    void SetUserData(void* data) { userData = data; }
    void* GetUserData() const { return userData; }
    void SetUserFlag(std::int32_t flag) { userFlag = flag; }

    Vector4 GetPos() const;
    void SetPos(const Vector4& position);
    void SetRotation(const Quaternion& rotation);
    const Matrix4& GetTransform();

    const Vector4& GetVelocity() const { return velocity; }
    void SetVelocity(const Vector4& value);
    void SetAngularMomentum(const Vector4& momentum);
    float GetSpeed() const { return speed; }
    // A body that stayed quiet long enough sleeps: the stepping leaves it
    // where it is until a wake (a push, a touch, a setter) clears the rest
    // counters.
    bool IsAsleep() const;

    // The force replaces the force and, about the point, the torque.
    // Negligible values (every component below 1e-6) do not wake the body.
    void SetForce(const Vector4& value, const Vector4& point);
    void SetTorque(const Vector4& value);
    // Adds the impulse at a world point and wakes this body only.
    void ApplyImpulse(const Vector4& impulse, const Vector4& point);

    // A controller at the end of the controller list, or nothing when the
    // controller pool is empty.
    PhController* AddController(CPFrameListener* listener, std::int32_t period);

    // Clears the rest counters and takes the current state as the rest
    // reference.
    void Wake();
    // Wakes the dynamic members of the body's contact group, or the body
    // itself when it is in none.
    void WakeGroup();

    // Keeps the world inverse inertia in step with the orientation, the
    // body inverse inertia and the mass.
    void UpdateWorldInverseInertia();

  private:
    void DeriveAngularVelocity();
};

// True when every component's magnitude is below 1e-6.
bool PhIsNegligible(const Vector4& v);
