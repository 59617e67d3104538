#pragma once

// The whole maths layer: records and their operations.
#include "platform/MathTypes.h"
#include "platform/MatrixMath.h"
#include "platform/QuaternionMath.h"
#include "platform/VectorMath.h"
