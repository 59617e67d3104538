#include "Render/Sprite.h"

#include <cmath>
#include <cstring>

#include "Render/ColourByte.h"
#include "Render/CurrentCamera.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameObject.h"
#include "core/StringUtils.h"
#include "platform/Math.h"

namespace {

// Below this (negative) limit a sprite always shows in a fixed grey;
// between it and 0 it never shows.
constexpr float kFixedGreyLimit = -0.1f;
// Share of the brightness lost between the axis and the edge of the cone.
constexpr float kEdgeDimming = 0.7f;

Vector3 Translation(const Matrix4& m) { return {m.m[3][0], m.m[3][1], m.m[3][2]}; }

} // namespace

std::uint32_t SpriteGrey(int level)
{
    const std::uint32_t g = static_cast<std::uint32_t>(level) & 0xFFu;
    return (g << 24) | (g << 16) | (g << 8) | g;
}

CPSprite::CPSprite(float size) : m_size(size) {}

void CPSprite::SetTextureRect(float ua, float va, float ub, float vb)
{
    m_ua = ua;
    m_va = va;
    m_ub = ub;
    m_vb = vb;
}

int CPSprite::GetVertexCount() { return UpdateVisibility() ? kVertexCount : 0; }

int CPSprite::GetIndexCount() { return UpdateVisibility() ? kIndexCount : 0; }

int CPSprite::ConeBrightness() const
{
    const Vector3 eye = GetCurrentCamera()->Eye();
    const Vector3 position = Translation(m_owner->GetWorldMatrix());
    // Seen from above: the camera's height does not count.
    const Vector3 toCamera = Normalize(Vector3{eye.x - position.x, eye.y - position.y, 0.0f});

    const CPGameObject* root = m_owner;
    while (root->GetParentObject())
        root = root->GetParentObject();
    const Vector3 axis = Normalize(TransformPoint(m_direction, MatrixFromQuaternion(root->GetRotation())));

    // A camera right above the sprite gives a zero vector, so a right angle.
    const float angle = std::fabs(static_cast<float>(ClampedAcos(Dot(toCamera, axis))));
    if (!(angle <= m_coneLimit))
        return -1;
    return static_cast<int>((1.0f - (angle / m_coneLimit) * kEdgeDimming) * 255.0f);
}

bool CPSprite::UpdateVisibility()
{
    int level = -1;
    if (!m_owner || !GetCurrentCamera()) {
        m_visible = 0;
        return false;
    }
    if (m_coneLimit < 0.0f) {
        if (m_coneLimit <= kFixedGreyLimit)
            level = static_cast<int>(TruncatedLowByte(-m_coneLimit * 255.0f));
    } else if (m_coneLimit == 0.0f) {
        m_visible = 1;
        return true;
    } else {
        level = ConeBrightness();
    }
    m_visible = level >= 0 ? 1 : 0;
    if (m_visible)
        m_colour = SpriteGrey(level);
    return m_visible != 0;
}

void CPSprite::WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base, int)
{
    if (!UpdateVisibility())
        return;
    Matrix4 billboard = GetCurrentCamera()->GetInverseView();
    const Vector3 position = Translation(m_owner->GetWorldMatrix());
    billboard.m[3][0] = position.x;
    billboard.m[3][1] = position.y;
    billboard.m[3][2] = position.z;
    billboard = RotationMatrixZ(m_angle) * billboard;

    const struct {
        float x, y, u, v;
    } corners[kVertexCount] = {
        {-m_size, -m_size, m_ua, m_va},
        {m_size, -m_size, m_ub, m_va},
        {m_size, m_size, m_ub, m_vb},
        {-m_size, m_size, m_ua, m_vb},
    };
    CPMeshVertex quad[kVertexCount] = {};
    for (int i = 0; i < kVertexCount; ++i) {
        quad[i].position = TransformPoint(Vector3{corners[i].x, corners[i].y, 0.0f}, billboard);
        quad[i].diffuse = m_colour;
        quad[i].uv1 = {corners[i].u, corners[i].v};
    }
    if (HasEffects())
        m_effects.Apply(quad, quad, kVertexCount);
    std::memcpy(vertices, quad, sizeof(quad));

    const std::uint16_t pattern[kIndexCount] = {0, 2, 1, 0, 3, 2};
    for (int i = 0; i < kIndexCount; ++i)
        indices[i] = static_cast<std::uint16_t>(base + pattern[i]);
}
