#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DynamicSky/VertexObject.h"

// A textured quad that travels round the sky on a circle: the sun, the
// moon or any other body of the sky. The circle is given by a direction
// (its axis), a distance and a base angle; the sky sets the angle along
// it and the quad's size every frame.
class CPSkyPart : public CPVertexObject {
  public:
    static constexpr std::uint32_t kQuadColour = 0xFF000014;

    CPSkyPart();
    ~CPSkyPart() override = default;

    // Normalises the direction and turns +z onto it.
    void SetDirection(const Vector3& direction);
    void SetDistance(float distance)
    {
        m_distance = distance;
        m_placed = false;
    }
    void SetBaseAngle(float angle)
    {
        m_baseAngle = angle;
        m_placed = false;
    }
    void SetCurrentAngle(float angle) { m_currentAngle = angle; }
    void SetSize(float size) { m_size = size; }

    void SetEffectNames(const std::string& first, const std::string& second);
    void AddFrame(const std::string& name);
    // Builds the quad of half size q, fills the buffers and loads the
    // current frame's texture and the second effect.
    void BuildQuad(float q);
    // The next texture frame, back to the first after the last. A part
    // without frames has nothing to load.
    void NextFrame();
    // 0 chooses the first effect name, anything else the second.
    void SelectEffect(std::int32_t choice);
    // The quad's drawn colour: alpha (clamped to 0..255) over 0x14.
    void SetAlpha(std::int32_t alpha);

    // Places the quad on its circle facing the origin and draws it. The
    // argument is not used.
    using CPVertexObject::Draw;
    HResult Draw(float frameTime);

    const Vector3& GetDirection() const { return m_direction; }
    const Vector3& GetPosition() const { return m_position; }
    const Matrix4& GetOrientation() const { return m_orientation; }
    std::int32_t GetEffectChoice() const { return m_effectChoice; }
    std::int32_t GetFrameIndex() const { return m_frameIndex; }
    const std::vector<std::string>& GetFrames() const { return m_frames; }
    float GetCurrentAngle() const { return m_currentAngle; }
    float GetSize() const { return m_size; }

  private:
    Matrix4 Placement() const;
    // Whether the placement kept is the one of this angle and size.
    bool IsPlacedAt(float angle, float size) const;

    Vector3 m_direction;
    Vector3 m_position;
    float m_distance = 0.0f;
    std::string m_effectNames[2];
    std::int32_t m_effectChoice = 0;
    float m_baseAngle = 0.0f;
    float m_currentAngle = 0.0f;
    float m_size = 0.0f;
    std::vector<std::string> m_frames;
    std::int32_t m_frameIndex = 0;
    Matrix4 m_orientation;
    // The last placement, kept while the part stands still.
    Matrix4 m_placement;
    float m_placedAngle = 0.0f;
    float m_placedSize = 0.0f;
    bool m_placed = false;
};
