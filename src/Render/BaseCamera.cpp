#include "Render/BaseCamera.h"

#include "platform/Math.h"

CPBaseCamera::CPBaseCamera()
    : m_view(IdentityMatrix()), m_projection(IdentityMatrix()), m_orientationView(IdentityMatrix()),
      m_inverseOrientationView(IdentityMatrix())
{
}
