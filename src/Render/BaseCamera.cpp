#include "Render/BaseCamera.h"

#include "platform/Math.h"

CPBaseCamera::CPBaseCamera()
    : m_view(IdentityMatrix()), m_projection(IdentityMatrix()), m_orientationView(IdentityMatrix()),
      m_inverseOrientationView(IdentityMatrix())
{
}

const Matrix4& CPBaseCamera::GetInverseOrientationView() const
{
    // A singular orientation keeps the inverse last worked out, as an
    // inverse taken at every change would.
    if (m_inverseOrientationStale) {
        Invert(m_orientationView, m_inverseOrientationView);
        m_inverseOrientationStale = false;
    }
    return m_inverseOrientationView;
}
