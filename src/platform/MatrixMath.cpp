#include "platform/MatrixMath.h"

#include <cmath>
#include <cstring>

#include "platform/VectorMath.h"

namespace {

// Cofactors of a 4x4 matrix through its 2x2 minors, in double so that the
// singularity test is not blurred by rounding.
struct Cofactors {
    double c[4][4];
    double determinant;
};

Cofactors ComputeCofactors(const Matrix4& matrix)
{
    double a[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            a[r][c] = matrix.m[r][c];

    // 2x2 minors of the first two rows (s) and of the last two rows (t).
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double t5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double t4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double t3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double t2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double t1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double t0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];

    Cofactors out;
    // Stored transposed already: out.c is the adjugate.
    out.c[0][0] = a[1][1] * t5 - a[1][2] * t4 + a[1][3] * t3;
    out.c[0][1] = -a[0][1] * t5 + a[0][2] * t4 - a[0][3] * t3;
    out.c[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
    out.c[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
    out.c[1][0] = -a[1][0] * t5 + a[1][2] * t2 - a[1][3] * t1;
    out.c[1][1] = a[0][0] * t5 - a[0][2] * t2 + a[0][3] * t1;
    out.c[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
    out.c[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
    out.c[2][0] = a[1][0] * t4 - a[1][1] * t2 + a[1][3] * t0;
    out.c[2][1] = -a[0][0] * t4 + a[0][1] * t2 - a[0][3] * t0;
    out.c[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
    out.c[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
    out.c[3][0] = -a[1][0] * t3 + a[1][1] * t1 - a[1][2] * t0;
    out.c[3][1] = a[0][0] * t3 - a[0][1] * t1 + a[0][2] * t0;
    out.c[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
    out.c[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
    out.determinant = s0 * t5 - s1 * t4 + s2 * t3 + s3 * t2 - s4 * t1 + s5 * t0;
    return out;
}

// The largest |determinant| a matrix with these rows can have (Hadamard's
// bound): the product of the row lengths.
double RowLengthProduct(const Matrix4& m)
{
    double product = 1.0;
    for (const auto& row : m.m) {
        double sum = 0.0;
        for (float value : row)
            sum += static_cast<double>(value) * value;
        product *= std::sqrt(sum);
    }
    return product;
}

// Below this share of its Hadamard bound a determinant is rounding noise of
// a singular matrix rather than a property of the matrix.
constexpr double kSingularRatio = 1e-12;

} // namespace

bool IsIdentity(const Matrix4& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m.m[r][c] != (r == c ? 1.0f : 0.0f))
                return false;
    return true;
}

Matrix4 Transpose(const Matrix4& m)
{
    Matrix4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = m.m[c][r];
    return out;
}

float Determinant(const Matrix4& m) { return static_cast<float>(ComputeCofactors(m).determinant); }

bool Invert(const Matrix4& m, Matrix4& out, float* determinant)
{
    const Cofactors cof = ComputeCofactors(m);
    if (determinant)
        *determinant = static_cast<float>(cof.determinant);
    const double bound = RowLengthProduct(m);
    // Written so that a NaN determinant also counts as singular.
    if (!(std::fabs(cof.determinant) > bound * kSingularRatio) || !std::isfinite(cof.determinant))
        return false;
    const double scale = 1.0 / cof.determinant;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = static_cast<float>(cof.c[r][c] * scale);
    return true;
}

Matrix4 ScalingMatrix(float x, float y, float z)
{
    Matrix4 m;
    m.m[0][0] = x;
    m.m[1][1] = y;
    m.m[2][2] = z;
    m.m[3][3] = 1.0f;
    return m;
}

Matrix4 RotationMatrixX(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix4 m = IdentityMatrix();
    m.m[1][1] = c;
    m.m[1][2] = s;
    m.m[2][1] = -s;
    m.m[2][2] = c;
    return m;
}

Matrix4 RotationMatrixY(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix4 m = IdentityMatrix();
    m.m[0][0] = c;
    m.m[0][2] = -s;
    m.m[2][0] = s;
    m.m[2][2] = c;
    return m;
}

Matrix4 RotationMatrixZ(float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix4 m = IdentityMatrix();
    m.m[0][0] = c;
    m.m[0][1] = s;
    m.m[1][0] = -s;
    m.m[1][1] = c;
    return m;
}

Matrix4 RotationMatrixAxis(const Vector3& axis, float angle)
{
    const Vector3 n = Normalize(axis);
    if (LengthSquared(n) == 0.0f)
        return IdentityMatrix();
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    Matrix4 m = IdentityMatrix();
    m.m[0][0] = t * n.x * n.x + c;
    m.m[0][1] = t * n.x * n.y + s * n.z;
    m.m[0][2] = t * n.x * n.z - s * n.y;
    m.m[1][0] = t * n.x * n.y - s * n.z;
    m.m[1][1] = t * n.y * n.y + c;
    m.m[1][2] = t * n.y * n.z + s * n.x;
    m.m[2][0] = t * n.x * n.z + s * n.y;
    m.m[2][1] = t * n.y * n.z - s * n.x;
    m.m[2][2] = t * n.z * n.z + c;
    return m;
}

Matrix4 RotationMatrixYawPitchRoll(float yaw, float pitch, float roll)
{
    return RotationMatrixZ(roll) * RotationMatrixX(pitch) * RotationMatrixY(yaw);
}

Matrix4 MatrixFromQuaternion(const Quaternion& q)
{
    float r[3][3];
    matrixmath::QuaternionRotation(q, r);
    Matrix4 m = IdentityMatrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m.m[i][j] = r[i][j];
    return m;
}

Matrix4 LookAtMatrixLH(const Vector3& eye, const Vector3& at, const Vector3& up)
{
    const Vector3 zAxis = Normalize(at - eye);
    const Vector3 xAxis = Normalize(Cross(up, zAxis));
    const Vector3 yAxis = Cross(zAxis, xAxis);
    Matrix4 m;
    m.m[0][0] = xAxis.x;
    m.m[1][0] = xAxis.y;
    m.m[2][0] = xAxis.z;
    m.m[0][1] = yAxis.x;
    m.m[1][1] = yAxis.y;
    m.m[2][1] = yAxis.z;
    m.m[0][2] = zAxis.x;
    m.m[1][2] = zAxis.y;
    m.m[2][2] = zAxis.z;
    m.m[3][0] = -Dot(xAxis, eye);
    m.m[3][1] = -Dot(yAxis, eye);
    m.m[3][2] = -Dot(zAxis, eye);
    m.m[3][3] = 1.0f;
    return m;
}

Matrix4 PerspectiveMatrixLH(float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    Matrix4 m;
    m.m[0][0] = xScale;
    m.m[1][1] = yScale;
    m.m[2][2] = depth;
    m.m[2][3] = 1.0f;
    m.m[3][2] = -zNear * depth;
    return m;
}

Matrix4 OrthoOffCenterMatrixLH(float left, float right, float bottom, float top, float zNear, float zFar)
{
    Matrix4 m = IdentityMatrix();
    m.m[0][0] = 2.0f / (right - left);
    m.m[1][1] = 2.0f / (top - bottom);
    m.m[2][2] = 1.0f / (zFar - zNear);
    m.m[3][0] = (left + right) / (left - right);
    m.m[3][1] = (top + bottom) / (bottom - top);
    m.m[3][2] = zNear / (zNear - zFar);
    return m;
}

Matrix4 ShadowMatrix(const Vector4& light, const Plane& plane)
{
    const Plane p = Normalize(plane);
    const float d = Dot(p, light);
    const float pv[4] = {p.a, p.b, p.c, p.d};
    const float lv[4] = {light.x, light.y, light.z, light.w};
    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m.m[r][c] = (r == c ? d : 0.0f) - pv[r] * lv[c];
    return m;
}

void TransformPoints(const void* in, std::size_t inStride, void* out, std::size_t outStride,
                     std::size_t count, const Matrix4& m)
{
    const auto* src = static_cast<const unsigned char*>(in);
    auto* dst = static_cast<unsigned char*>(out);
    for (std::size_t i = 0; i < count; ++i) {
        Vector3 p;
        std::memcpy(&p, src + i * inStride, sizeof p);
        p = TransformPoint(p, m);
        std::memcpy(dst + i * outStride, &p, sizeof p);
    }
}
