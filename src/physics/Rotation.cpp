#include "physics/Rotation.h"

#include <cmath>

#include "platform/Math.h"

void PhQuaternionToRows(const Quaternion& q, Vector4 rows[3])
{
    const Matrix4 m = MatrixFromQuaternion(q);
    for (int r = 0; r < 3; ++r) {
        rows[r].x = m.m[r][0];
        rows[r].y = m.m[r][1];
        rows[r].z = m.m[r][2];
    }
}

namespace {

// Cosine and sine of one angle, as the rotation matrices take them; kept
// apart so that the two are always worked out together, in one call.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
void CosSin(float angle, float& c, float& s)
{
    c = std::cos(angle);
    s = std::sin(angle);
}

// QuaternionFromMatrix(RotationMatrixX(a)) for a finite angle, with the same
// operations on the matrix's entries: 1 on the axis, cos and sin of a, and
// zeros off the turned plane. Every wheel of every car turns through here
// at each step.
Quaternion SpinAboutX(float a)
{
    float c, s;
    CosSin(a, c, s);
    const float trace = 1.0f + c + c;
    if (trace > 0.0f) {
        const float k = 0.5f / std::sqrt(trace + 1.0f);
        return {(s - -s) * k, (0.0f - 0.0f) * k, (0.0f - 0.0f) * k, 0.25f / k};
    }
    // The axis entry, 1, is the largest of the diagonal.
    const float k = 2.0f * std::sqrt(1.0f + 1.0f - c - c);
    return {0.25f * k, (0.0f + 0.0f) / k, (0.0f + 0.0f) / k, (s - -s) / k};
}

// RotationMatrixX(a) * RotationMatrixZ(b) as far as a quaternion reads it,
// for finite angles. Each entry of the full product sums one term, a
// product of the rotations' cosines, sines and ones, with products by the
// rotations' zeros. Those zeros leave a non-zero term as it is and turn a
// zero term into +0, as adding +0 to the term does: the entries come out
// the same to the bit, signs of zero among them, from one product each.
Matrix4 SpinThenSteer(float a, const PhTurnZ& turn)
{
    float c, s;
    CosSin(a, c, s);
    const float cb = turn.c, sb = turn.s;
    constexpr float o = 0.0f;
    Matrix4 m;
    auto& e = m.m;
    e[0][0] = cb + o;
    e[0][1] = sb + o;
    e[0][2] = o;
    e[1][0] = c * -sb + o;
    e[1][1] = c * cb + o;
    e[1][2] = s + o;
    e[2][0] = -s * -sb + o;
    e[2][1] = -s * cb + o;
    e[2][2] = c + o;
    return m;
}

} // namespace

PhTurnZ MakeTurnZ(float b)
{
    PhTurnZ turn;
    turn.angle = b;
    CosSin(b, turn.c, turn.s);
    return turn;
}

Quaternion ComposeRotation(float a, const PhTurnZ& turn)
{
    const float b = turn.angle;
    // Angles that are not finite take the matrices' own way: what their
    // NaNs come out as depends on the order of the operations.
    if (std::isfinite(a) && std::isfinite(b))
        return b != 0.0f ? QuaternionFromMatrix(SpinThenSteer(a, turn)) : SpinAboutX(a);
    const Matrix4 spin = RotationMatrixX(a);
    return QuaternionFromMatrix(b != 0.0f ? spin * RotationMatrixZ(b) : spin);
}

Quaternion SpinRotation(float a)
{
    return std::isfinite(a) ? SpinAboutX(a) : QuaternionFromMatrix(RotationMatrixX(a));
}

Quaternion ComposeRotation(float a, float b)
{
    PhTurnZ turn;
    turn.angle = b;
    if (b != 0.0f && std::isfinite(b))
        CosSin(b, turn.c, turn.s);
    return ComposeRotation(a, turn);
}

Quaternion PhUnitRotation(const Quaternion& q)
{
    if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w))
        return Quaternion{};
    const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (!std::isfinite(length) || length < 1e-6f)
        return Quaternion{};
    return Quaternion{q.x / length, q.y / length, q.z / length, q.w / length};
}
