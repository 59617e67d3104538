#pragma once

#include <cmath>
#include <initializer_list>

#include <gtest/gtest.h>

#include "platform/MathTypes.h"

// Component-wise comparisons for the maths records, within an absolute
// tolerance suited to single-precision results of a few operations.
constexpr float kMathTolerance = 1e-5f;

inline ::testing::AssertionResult Near(const Vector2& actual, const Vector2& expected,
                                       float tol = kMathTolerance)
{
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ") != (" << expected.x << ", " << expected.y << ")";
}

inline ::testing::AssertionResult Near(const Vector3& actual, const Vector3& expected,
                                       float tol = kMathTolerance)
{
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol &&
        std::fabs(actual.z - expected.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") != (" << expected.x << ", "
           << expected.y << ", " << expected.z << ")";
}

inline ::testing::AssertionResult Near(const Vector4& actual, const Vector4& expected,
                                       float tol = kMathTolerance)
{
    if (std::fabs(actual.x - expected.x) <= tol && std::fabs(actual.y - expected.y) <= tol &&
        std::fabs(actual.z - expected.z) <= tol && std::fabs(actual.w - expected.w) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << ", " << actual.w << ") != ("
           << expected.x << ", " << expected.y << ", " << expected.z << ", " << expected.w << ")";
}

inline ::testing::AssertionResult Near(const Quaternion& actual, const Quaternion& expected,
                                       float tol = kMathTolerance)
{
    return Near(Vector4{actual.x, actual.y, actual.z, actual.w},
                Vector4{expected.x, expected.y, expected.z, expected.w}, tol);
}

inline ::testing::AssertionResult Near(const Matrix4& actual, const Matrix4& expected,
                                       float tol = kMathTolerance)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tol))
                return ::testing::AssertionFailure() << "m[" << r << "][" << c << "] is " << actual.m[r][c]
                                                     << ", expected " << expected.m[r][c];
    return ::testing::AssertionSuccess();
}

// A matrix from its four rows, as written on paper.
inline Matrix4 Rows(std::initializer_list<std::initializer_list<float>> rows)
{
    Matrix4 m;
    int r = 0;
    for (const auto& row : rows) {
        int c = 0;
        for (float value : row)
            m.m[r][c++] = value;
        ++r;
    }
    return m;
}
