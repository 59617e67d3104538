#include "DynamicSky/SkyPart.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/StringUtils.h"
#include "platform/Math.h"

namespace {

constexpr float kPi = 3.14159265358979f;
const Vector3 kXAxis{1.0f, 0.0f, 0.0f};
const Vector3 kYAxis{0.0f, 1.0f, 0.0f};
const Vector3 kZAxis{0.0f, 0.0f, 1.0f};

// The rotation that turns the unit vector `from` onto the unit vector
// `to`. Opposite vectors have no axis in their cross product: they turn by
// a half turn about `fallbackAxis`, which must be perpendicular to `from`.
Matrix4 TurnOnto(const Vector3& from, const Vector3& to, const Vector3& fallbackAxis)
{
    const float angle = static_cast<float>(ClampedAcos(Dot(from, to)));
    const Vector3 axis = Cross(from, to);
    if (LengthSquared(axis) < 1e-12f)
        return Dot(from, to) < 0.0f ? RotationMatrixAxis(fallbackAxis, kPi) : IdentityMatrix();
    return RotationMatrixAxis(axis, angle);
}

} // namespace

CPSkyPart::CPSkyPart() : m_orientation(IdentityMatrix()) {}

void CPSkyPart::SetDirection(const Vector3& direction)
{
    m_direction = Normalize(direction);
    m_orientation = TurnOnto(kZAxis, m_direction, kXAxis);
    m_placed = false;
}

void CPSkyPart::SetEffectNames(const std::string& first, const std::string& second)
{
    m_effectNames[0] = first;
    m_effectNames[1] = second;
}

void CPSkyPart::AddFrame(const std::string& name) { m_frames.push_back(name); }

void CPSkyPart::BuildQuad(float q)
{
    std::vector<CPMeshVertex> vertices(4);
    const Vector3 corners[4] = {{-q, 0.0f, -q}, {q, 0.0f, -q}, {q, 0.0f, q}, {-q, 0.0f, q}};
    const Vector2 uvs[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].position = corners[i];
        vertices[i].normal = {1.0f, 1.0f, 1.0f};
        vertices[i].diffuse = kQuadColour;
        vertices[i].uv1 = uvs[i];
    }
    FillBuffers(vertices, {0, 1, 2, 0, 2, 3}, false);
    if (!m_frames.empty())
        LoadTexture(m_frames[m_frameIndex]);
    LoadEffectA(m_effectNames[1]);
}

void CPSkyPart::NextFrame()
{
    if (m_frames.empty())
        return;
    m_frameIndex = (m_frameIndex + 1) % static_cast<std::int32_t>(m_frames.size());
    LoadTexture(m_frames[m_frameIndex]);
}

void CPSkyPart::SelectEffect(std::int32_t choice)
{
    m_effectChoice = choice == 0 ? 0 : 1;
    LoadEffectA(m_effectNames[m_effectChoice]);
}

void CPSkyPart::SetAlpha(std::int32_t alpha)
{
    const std::uint32_t a = static_cast<std::uint32_t>(std::clamp(alpha, 0, 255));
    std::vector<CPMeshVertex>& drawing = DrawingList();
    const std::size_t count = std::min<std::size_t>(drawing.size(), 4);
    for (std::size_t i = 0; i < count; ++i)
        drawing[i].diffuse = (a << 24) | 0x14u;
}

Matrix4 CPSkyPart::Placement() const
{
    const Vector3 toOrigin = -m_position;
    const Vector3 n = Normalize(toOrigin);
    const Matrix4 scale = ScalingMatrix(m_size, m_size, m_size);

    // The quad's normal axis +y turns onto n.
    const Matrix4 face = TurnOnto(kYAxis, n, kXAxis);

    // Roll: the quad's +z edge is to point along w, at right angles to n
    // in the vertical plane through the origin and the part. Straight
    // above or below the origin that plane is not defined, and the quad
    // keeps the roll the facing turn gives it.
    Matrix4 roll = IdentityMatrix();
    const Vector3 across = Normalize(Vector3{toOrigin.x, 0.0f, toOrigin.z});
    if (LengthSquared(across) > 0.0f) {
        const Vector3 h = Normalize(TransformNormal(across, RotationMatrixY(kPi / 2.0f)));
        const Vector3 w = Normalize(TransformNormal(toOrigin, RotationMatrixAxis(h, kPi / 2.0f)));
        const Vector3 z = Normalize(TransformNormal(kZAxis, face));
        roll = TurnOnto(z, w, n);
    }
    return scale * face * roll * TranslationMatrix(m_position.x, m_position.y, m_position.z);
}

bool CPSkyPart::IsPlacedAt(float angle, float size) const
{
    // Bit for bit: a placement is only reused for the very same values.
    return m_placed && std::memcmp(&m_placedAngle, &angle, sizeof angle) == 0 &&
           std::memcmp(&m_placedSize, &size, sizeof size) == 0;
}

HResult CPSkyPart::Draw(float /*frameTime*/)
{
    // A sky that does not move its parts (the race's, whose step scale is
    // 0) places each once.
    if (!IsPlacedAt(m_currentAngle, m_size)) {
        const Matrix4 turn =
            m_orientation * RotationMatrixAxis(m_direction, m_baseAngle - m_currentAngle + kPi);
        m_position = TransformPoint(Vector3{m_distance, 0.0f, 0.0f}, turn);
        m_placement = Placement();
        m_placedAngle = m_currentAngle;
        m_placedSize = m_size;
        m_placed = true;
    }
    TransformVertices(m_placement);
    const HResult filled = FillBuffers(SourceList(), GetIndices(), true);
    if (Failed(filled))
        return filled;
    return CPVertexObject::Draw();
}
