#include "core/ShadowMatrix.h"

Matrix4& GetShadowMatrix()
{
    static Matrix4 matrix;
    return matrix;
}
