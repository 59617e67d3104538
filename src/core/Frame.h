#pragma once

#include "platform/MathTypes.h"

// An orthonormal frame: side, up and direction axes at a position, with
// conversions between world space and the frame's space. Local x runs
// along the side axis, local y along the direction and local z along up;
// the world's up axis is z.
//
// Reset gives side (-1, 0, 0) (the direction turned a quarter about local
// z), while rebuilding the side from the direction gives direction x up,
// (1, 0, 0) for the same axes. Both are kept as they are: frames that were
// reset and frames built from a direction differ in the sign of the side.
class CPFrame {
  public:
    CPFrame() { Reset(); }

    virtual Vector3 GetSide() const { return m_side; }
    virtual Vector3 SetSide(float x, float y, float z) { return m_side = {x, y, z}; }
    virtual Vector3 GetUp() const { return m_up; }
    virtual Vector3 SetUp(float x, float y, float z) { return m_up = {x, y, z}; }
    virtual Vector3 GetDirection() const { return m_direction; }
    virtual Vector3 SetDirection(float x, float y, float z) { return m_direction = {x, y, z}; }
    virtual Vector3 GetPosition() const { return m_position; }
    virtual Vector3 SetPosition(float x, float y, float z) { return m_position = {x, y, z}; }

    // The cross products below assume a right-handed frame; a frame that
    // answers false mirrors them.
    virtual bool IsRightHanded() const { return true; }

    virtual void Reset();

    virtual Vector3 WorldToLocalVector(const Vector3& v) const;
    virtual Vector3 WorldToLocalPoint(const Vector3& p) const;
    virtual Vector3 LocalToWorldPoint(const Vector3& q) const;
    virtual Vector3 LocalToWorldVector(const Vector3& q) const;

    // side = direction x up, normalised unless it is zero (direction
    // parallel to up, or a zero axis).
    virtual void UpdateSide();
    // direction = v as given, then the side, then up = side x direction, so
    // up has the length of v.
    virtual void SetDirectionOrthogonal(const Vector3& v);
    // up = the given up as given, then SetDirectionNormalized(direction).
    virtual void SetDirectionAndUp(const Vector3& direction, const Vector3& up);
    // SetDirectionOrthogonal with v normalised; the zero vector stays zero.
    virtual void SetDirectionNormalized(const Vector3& v);

    // v turned a quarter about local z: (-v.y, v.x, v.z).
    virtual Vector3 TurnLocal(const Vector3& v) const;
    // v turned a quarter about the frame's up axis.
    virtual Vector3 TurnWorld(const Vector3& v) const;

  private:
    Vector3 m_side;
    Vector3 m_up;
    Vector3 m_direction;
    Vector3 m_position;
};

// The engine core's own frame, in the reset state from start-up.
CPFrame& GetCoreFrame();
