#pragma once

#include "platform/MathTypes.h"

// The program-wide planar shadow matrix. It is all zero until the level
// loader builds it (ShadowMatrix of the sun onto the ground); axis boxes of
// shadow-casting objects widen themselves by it.
const Matrix4& GetShadowMatrix();
void SetShadowMatrix(const Matrix4& matrix);

// The matrix with what every shadow-casting box asks of it each frame,
// worked out once when it is set: whether every entry is finite and w is
// the same nonzero value at every point (a light at infinity), so the
// box's extremes can be carried over without its corners.
struct ShadowState {
    Matrix4 matrix;
    bool sharedW = false;
};

namespace shadowmatrix {
extern ShadowState g_state;
} // namespace shadowmatrix

inline const ShadowState& GetShadowState() { return shadowmatrix::g_state; }
