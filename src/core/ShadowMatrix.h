#pragma once

#include "platform/MathTypes.h"

// The program-wide planar shadow matrix. It is all zero until the level
// loader builds it (ShadowMatrix of the sun onto the ground); axis boxes of
// shadow-casting objects widen themselves by it.
Matrix4& GetShadowMatrix();
