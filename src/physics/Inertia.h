#pragma once

#include "platform/MathTypes.h"

// Diagonals of inertia tensors, as 4-float vectors whose fourth entry is
// not set.

// Every entry (2/3) * mass * s^2, s the largest of the three sizes.
Vector4 PhInertiaBox(const Vector4& sizes, float mass);

// Axis y; r = diameter / 2: x and z entries mass * height^2 / 12 + mass *
// r^2 / 4, y entry mass * r^2 / 2.
Vector4 PhInertiaCylinder(float diameter, float height, float mass);
