#pragma once

#include <cstdint>

#include "Render/Renderable.h"
#include "Render/VertexEffectChain.h"
#include "core/GameObjectParts.h"
#include "platform/MathTypes.h"

class CPGameObject;

// A camera-facing square (4 vertices, 6 indices) at its game object's
// position, for glows and lamp flares (render kind 3). The cone limit L
// decides when it shows:
//   L <= -0.1       always, in a fixed grey of level -L x 255;
//   -0.1 < L < 0    never;
//   L = 0           always, in the colour it last had;
//   L > 0           while the camera, seen from above, lies within L radians
//                   of the direction (turned with the root object): full
//                   brightness on the axis down to 30% at the edge.
// A grey level g is the colour whose four bytes are the low 8 bits of g.
// Without an owner, or while no camera is current, a sprite is hidden.
class CPSprite : public CPRenderable, public CPRenderPart {
  public:
    static constexpr int kVertexCount = 4;
    static constexpr int kIndexCount = 6;

    explicit CPSprite(float size);
    ~CPSprite() override = default;

    CPSprite(const CPSprite&) = delete;
    CPSprite& operator=(const CPSprite&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPSprite); }
    std::string GetTypeName() const override { return "CPSprite"; }

    std::int32_t GetPartKind() const override;
    CPObjectPtr CopyFor(CPGameObject* owner) override;

    // --- Renderable ----------------------------------------------------------

    bool IsDisabled() const override { return false; }
    void SetDisabled(bool) override {}
    // Both run the visibility test: the full quad when visible, else 0.
    int GetVertexCount() override;
    int GetIndexCount() override;
    // The quad and the indices b, b+2, b+1, b, b+3, b+2 when visible.
    void WriteVertices(CPMeshVertex* vertices, std::uint16_t* indices, std::uint16_t base,
                       int unused) override;
    // The indices come with WriteVertices.
    void WriteIndices(std::uint16_t*, int, std::uint16_t&, std::uint16_t&) override {}
    void GetMaterial(CPObjectPtr& material) const override { material = m_material; }

    // Stores and returns whether the sprite shows now; sets its colour.
    bool UpdateVisibility();

    // --- Settings ----------------------------------------------------------------

    CPGameObject* GetOwner() const { return m_owner; }
    void SetOwner(CPGameObject* owner) override { m_owner = owner; }
    void SetMaterial(CPObjectPtr material) override { m_material = material; }
    float GetSize() const { return m_size; }
    float GetAngle() const { return m_angle; }
    void SetAngle(float angle) { m_angle = angle; }
    std::uint32_t GetColour() const { return m_colour; }
    void SetColour(std::uint32_t colour) { m_colour = colour; }
    // Texture coordinates of the first corner and of the opposite one.
    void SetTextureRect(float ua, float va, float ub, float vb);
    const Vector3& GetDirection() const { return m_direction; }
    void SetDirection(const Vector3& direction) { m_direction = direction; }
    float GetConeLimit() const { return m_coneLimit; }
    void SetConeLimit(float limit) { m_coneLimit = limit; }
    bool IsVisible() const { return m_visible != 0; }

    bool HasEffects() const { return m_hasEffects != 0; }
    void SetHasEffects(bool hasEffects) { m_hasEffects = hasEffects ? 1 : 0; }
    CPVertexEffectChain& GetEffects() { return m_effects; }
    const CPVertexEffectChain& GetEffects() const { return m_effects; }

  private:
    // The brightness within the cone, or a negative value when outside.
    int ConeBrightness() const;

    std::uint8_t m_hasEffects = 0;
    CPVertexEffectChain m_effects;
    CPGameObject* m_owner = nullptr; // not counted
    CPObjectPtr m_material;
    float m_size;
    float m_angle = 0.0f;
    std::uint32_t m_colour = 0xFFFFFFFF;
    float m_ua = 0.0f;
    float m_va = 0.0f;
    float m_ub = 1.0f;
    float m_vb = 1.0f;
    Vector3 m_direction;
    float m_coneLimit = 0.0f;
    std::uint8_t m_visible = 1;
};

// The grey whose alpha, red, green and blue bytes are all the low 8 bits of
// the level.
std::uint32_t SpriteGrey(int level);
