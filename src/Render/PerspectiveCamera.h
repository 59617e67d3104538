#pragma once

#include "Render/BaseCamera.h"
#include "platform/MathTypes.h"

// A camera with an eye, a target and an up vector seen through a
// perspective projection. Owners write those values and raise the matching
// flag; Update then recomputes only what changed, and the six planes of the
// view volume with it.
class CPPerspectiveCamera : public CPBaseCamera {
  public:
    enum PlaneIndex { kNear, kFar, kLeft, kRight, kBottom, kTop, kPlaneCount };

    CPPerspectiveCamera() = default;

    std::uint32_t GetObjectSize() const override { return sizeof(CPPerspectiveCamera); }
    std::string GetTypeName() const override { return "CPPerspectiveCamera"; }

    // The view values; writing them calls for SetViewChanged.
    Vector3& Eye() { return m_eye; }
    Vector3& Target() { return m_target; }
    Vector3& Up() { return m_up; }
    // The projection values; writing them calls for SetProjectionChanged.
    float& FieldOfView() { return m_fieldOfView; } // vertical, radians
    float& NearPlane() { return m_near; }
    float& FarPlane() { return m_far; }

    void SetViewChanged() { m_viewChanged = 1; }
    void SetProjectionChanged() { m_projectionChanged = 1; }
    bool IsViewChanged() const { return m_viewChanged != 0; }
    bool IsProjectionChanged() const { return m_projectionChanged != 0; }

    void Update();

    // False when all eight corners of the box lie on or behind one plane.
    // Conservative: a box outside near an edge or corner may still pass.
    bool IsBoxVisible(const Vector3& minimum, const Vector3& maximum) const;

    const Plane& GetPlane(int index) const { return m_planes[index]; }
    const Matrix4& GetViewProjection() const { return m_viewProjection; }
    const Matrix4& GetInverseView() const { return m_inverseView; }
    const Matrix4& GetInverseViewProjection() const { return m_inverseViewProjection; }
    const Matrix4& GetSkyViewProjection() const { return m_skyViewProjection; }

  private:
    void UpdatePlanes();

    Plane m_planes[kPlaneCount];
    // The planes' a, b, c and d, and masks of where a, b and c are negative,
    // in rows of eight (the last two unused), sides first, so the box test
    // takes four planes at once.
    float m_planeRows[7][8] = {};
    Vector3 m_target;
    Vector3 m_eye;
    Vector3 m_up;
    float m_fieldOfView = 0.0f;
    float m_near = 0.0f;
    float m_far = 0.0f;
    // The field of view, aspect, near and far the projections were last
    // made of, bit for bit.
    float m_projectionLens[4] = {};
    bool m_projectionMade = false;
    std::uint8_t m_projectionChanged = 0;
    std::uint8_t m_viewChanged = 0;
    Matrix4 m_viewProjection;
    Matrix4 m_inverseView;
    Matrix4 m_inverseViewProjection;
    Matrix4 m_skyViewProjection; // orientation view x far projection
};

// The plane through three points: normal (p2 - p1) x (p3 - p1), and d so
// that p1 lies on it.
Plane PlaneFromPoints(const Vector3& p1, const Vector3& p2, const Vector3& p3);
