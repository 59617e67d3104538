#pragma once

// Plain maths records. Matrices are row-vector matrices: a point p is
// transformed as [p 1] * M, so the translation lives in the fourth row
// (m[3][0..2]). Operations on these types live in platform/Math.h.

struct Vector2 {
    float x = 0.0f, y = 0.0f;
};

struct Vector3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

struct Vector4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
};

// Rotation quaternion (x, y, z, w); the identity is (0, 0, 0, 1).
struct Quaternion {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
};

// The plane a*x + b*y + c*z + d = 0.
struct Plane {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
};

struct ColorValue {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

// 4x4 float matrix, m[row][column]; all zero when default-constructed.
struct Matrix4 {
    float m[4][4] = {};
};
