#include "core/ShadowMatrix.h"

#include <cmath>

namespace shadowmatrix {
ShadowState g_state;
} // namespace shadowmatrix

const Matrix4& GetShadowMatrix() { return shadowmatrix::g_state.matrix; }

void SetShadowMatrix(const Matrix4& matrix)
{
    ShadowState& state = shadowmatrix::g_state;
    state.matrix = matrix;
    bool finite = true;
    for (const auto& row : matrix.m)
        for (float v : row)
            finite = finite && std::isfinite(v);
    state.sharedW = finite && matrix.m[0][3] == 0.0f && matrix.m[1][3] == 0.0f && matrix.m[2][3] == 0.0f &&
                    matrix.m[3][3] != 0.0f;
}
