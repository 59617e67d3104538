#pragma once

#include "core/Object.h"
#include "platform/MathTypes.h"

// The matrices a render pass is drawn with. Used as it is for the 2D screen
// pass, whose one matrix goes into the view.
class CPBaseCamera : public CPObject {
  public:
    CPBaseCamera();

    std::uint32_t GetObjectSize() const override { return sizeof(CPBaseCamera); }
    std::string GetTypeName() const override { return "CPBaseCamera"; }

    // Copies the matrix into the view.
    void SetMatrix(const Matrix4& matrix) { m_view = matrix; }

    const Matrix4& GetView() const { return m_view; }
    const Matrix4& GetProjection() const { return m_projection; }
    const Matrix4& GetFarProjection() const { return m_farProjection; }
    const Matrix4& GetOrientationView() const { return m_orientationView; }
    // Worked out when first asked for after the orientation changed: no
    // pass of a frame reads it.
    const Matrix4& GetInverseOrientationView() const;

  protected:
    // The orientation view was written; its inverse is stale.
    void OrientationChanged() { m_inverseOrientationStale = true; }

    Matrix4 m_view;
    Matrix4 m_projection;
    Matrix4 m_farProjection;   // the projection with its far plane at 1000
    Matrix4 m_orientationView; // rotation only: from the origin along the view direction
    mutable Matrix4 m_inverseOrientationView;
    mutable bool m_inverseOrientationStale = false;
};
