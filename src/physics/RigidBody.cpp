#include "physics/RigidBody.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "physics/ContactGroup.h"
#include "physics/PhysicsMath.h"
#include "physics/Rotation.h"
#include "physics/Simulator.h"

using namespace phmath;

namespace {

// Inverse of a 3x3 matrix given as rows: the transposed cofactor matrix
// divided by the determinant. False, leaving out alone, when the
// determinant's magnitude is below 1e-17.
bool InvertRows(const Vector4 in[3], Vector4 out[3])
{
    float a[3][3];
    for (int r = 0; r < 3; ++r) {
        a[r][0] = in[r].x;
        a[r][1] = in[r].y;
        a[r][2] = in[r].z;
    }
    float cofactor[3][3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3;
            const int c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cofactor[r][c] = a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1];
        }
    }
    const double det = static_cast<double>(a[0][0]) * cofactor[0][0] +
                       static_cast<double>(a[0][1]) * cofactor[0][1] +
                       static_cast<double>(a[0][2]) * cofactor[0][2];
    if (std::fabs(det) < 1e-17)
        return false;
    for (int r = 0; r < 3; ++r) {
        out[r] = Vec(static_cast<float>(cofactor[0][r] / det), static_cast<float>(cofactor[1][r] / det),
                     static_cast<float>(cofactor[2][r] / det));
    }
    return true;
}

} // namespace

bool PhIsNegligible(const Vector4& v)
{
    return std::fabs(v.x) < 1e-6f && std::fabs(v.y) < 1e-6f && std::fabs(v.z) < 1e-6f;
}

PhRigidBody::PhRigidBody()
{
    dynamic = 1;
    // Consistent with the mass, inertia and orientation from the start, so
    // a momentum set before the first step already turns the body.
    UpdateWorldInverseInertia();
}

void PhRigidBody::SetMass(float value)
{
    mass = value;
    // A mass of 0 or less (or not a number) makes the body immovable rather
    // than giving it an infinite inverse mass.
    inverseMass = (value > 0.0f && std::isfinite(value)) ? 1.0f / value : 0.0f;
    UpdateWorldInverseInertia();
}

void PhRigidBody::SetInertiaTensor(const Vector4& diagonal)
{
    inertia[0] = Vec(diagonal.x, 0.0f, 0.0f);
    inertia[1] = Vec(0.0f, diagonal.y, 0.0f);
    inertia[2] = Vec(0.0f, 0.0f, diagonal.z);
    if (InvertRows(inertia, inverseInertia))
        UpdateWorldInverseInertia();
}

void PhRigidBody::UpdateWorldInverseInertia()
{
    if (inverseMass == 0.0f) {
        for (Vector4& row : worldInverseInertia)
            row = Vector4{};
        return;
    }
    // W = R^T * I^-1 * R with R the rotation rows (body axes in the world).
    // Only the inverse inertia's non-zero entries are summed, in the order
    // of the full sum: a product with a zero adds nothing to it, and a
    // body's inertia is most often diagonal.
    const float(&r)[4][4] = transform.m;
    const Vector4* b = inverseInertia;
    const bool diagonal = b[0].x != 0.0f && b[1].y != 0.0f && b[2].z != 0.0f && b[0].y == 0.0f &&
                          b[0].z == 0.0f && b[1].x == 0.0f && b[1].z == 0.0f && b[2].x == 0.0f &&
                          b[2].y == 0.0f;
    if (diagonal) {
        // Every moving body turns each step: the diagonal's sums written
        // out, each first product taken once for its row.
#if defined(__SSE2__)
        // A row of W at once: lane j sums a_k * r[k][j] over k as below.
        const __m128 rows[3] = {_mm_loadu_ps(r[0]), _mm_loadu_ps(r[1]), _mm_loadu_ps(r[2])};
        for (int i = 0; i < 3; ++i) {
            __m128 sum = _mm_setzero_ps();
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(r[0][i] * b[0].x), rows[0]));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(r[1][i] * b[1].y), rows[1]));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_set1_ps(r[2][i] * b[2].z), rows[2]));
            float row[4];
            _mm_storeu_ps(row, sum);
            worldInverseInertia[i] = Vec(row[0], row[1], row[2]);
        }
#else
        for (int i = 0; i < 3; ++i) {
            const float a0 = r[0][i] * b[0].x;
            const float a1 = r[1][i] * b[1].y;
            const float a2 = r[2][i] * b[2].z;
            float row[3];
            for (int j = 0; j < 3; ++j) {
                float sum = 0.0f;
                sum += a0 * r[0][j];
                sum += a1 * r[1][j];
                sum += a2 * r[2][j];
                row[j] = sum;
            }
            worldInverseInertia[i] = Vec(row[0], row[1], row[2]);
        }
#endif
        return;
    }
    struct Entry {
        int k, l;
        float value;
    };
    Entry entries[9];
    int count = 0;
    for (int k = 0; k < 3; ++k) {
        const float bk[3] = {b[k].x, b[k].y, b[k].z};
        for (int l = 0; l < 3; ++l) {
            if (bk[l] != 0.0f)
                entries[count++] = Entry{k, l, bk[l]};
        }
    }
    for (int i = 0; i < 3; ++i) {
        float row[3];
        for (int j = 0; j < 3; ++j) {
            float sum = 0.0f;
            for (int e = 0; e < count; ++e)
                sum += r[entries[e].k][i] * entries[e].value * r[entries[e].l][j];
            row[j] = sum;
        }
        worldInverseInertia[i] = Vec(row[0], row[1], row[2]);
    }
}

Vector4 PhRigidBody::GetPos() const { return Row(transform, 3); }

void PhRigidBody::SetPos(const Vector4& position)
{
    transform.m[3][0] = position.x;
    transform.m[3][1] = position.y;
    transform.m[3][2] = position.z;
    Wake();
}

void PhRigidBody::SetRotation(const Quaternion& rotation)
{
    orientation = rotation;
    Vector4 rows[3] = {Row(transform, 0), Row(transform, 1), Row(transform, 2)};
    PhQuaternionToRows(rotation, rows);
    for (int i = 0; i < 3; ++i)
        SetRow(transform, i, rows[i]);
    UpdateWorldInverseInertia();
    Wake();
}

const Matrix4& PhRigidBody::GetTransform()
{
    transform.m[0][3] = 0.0f;
    transform.m[1][3] = 0.0f;
    transform.m[2][3] = 0.0f;
    transform.m[3][3] = 1.0f;
    return transform;
}

void PhRigidBody::SetVelocity(const Vector4& value)
{
    velocity = value;
    WakeGroup();
}

void PhRigidBody::DeriveAngularVelocity()
{
    angularVelocity = MulRows(angularMomentum, worldInverseInertia);
    const Quaternion spin{angularVelocity.x, angularVelocity.y, angularVelocity.z, 0.0f};
    const Quaternion product = QuatMul(spin, orientation);
    quaternionRate = Quaternion{0.5f * product.x, 0.5f * product.y, 0.5f * product.z, 0.5f * product.w};
}

void PhRigidBody::SetAngularMomentum(const Vector4& momentum)
{
    angularMomentum = momentum;
    DeriveAngularVelocity();
    WakeGroup();
}

void PhRigidBody::SetForce(const Vector4& value, const Vector4& point)
{
    force = value;
    torque = Cross(Sub(point, GetPos()), value);
    if (!PhIsNegligible(value))
        Wake();
}

void PhRigidBody::SetTorque(const Vector4& value)
{
    torque = value;
    if (!PhIsNegligible(value))
        Wake();
}

void PhRigidBody::ApplyImpulse(const Vector4& impulse, const Vector4& point)
{
    velocity = Add(velocity, Scale(impulse, inverseMass));
    angularMomentum = Add(angularMomentum, Cross(Sub(point, GetPos()), impulse));
    DeriveAngularVelocity();
    Wake();
}

PhController* PhRigidBody::AddController(CPFrameListener* listener, std::int32_t period)
{
    if (!simulator)
        return nullptr;
    PhController* controller = simulator->TakeController();
    if (!controller)
        return nullptr;
    controllers.Append(controller);
    controller->owner = this;
    controller->listener = listener;
    controller->period = period;
    controller->countdown = period;
    return controller;
}

void PhRigidBody::Wake()
{
    restCounter1 = 0;
    restCounter2 = 0;
    restPosition = GetPos();
    restOrientation = orientation;
    restVelocity = velocity;
    restAngularVelocity = angularVelocity;
    restExtra[0] = restExtra[1] = 0.0f;
}

void PhRigidBody::WakeGroup()
{
    if (!contactGroup) {
        Wake();
        return;
    }
    for (PhBody* member = contactGroup->first; member; member = member->groupNext) {
        if (member->dynamic == 1)
            static_cast<PhRigidBody*>(member)->Wake();
    }
}
