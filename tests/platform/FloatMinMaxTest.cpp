#include "platform/FloatMinMax.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/VectorMath.h"

namespace {

std::uint32_t Bits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Kept out of the compiler's sight, so the library's fmin and fmax are
// really called for the comparison.
volatile float g_values[] = {0.0f,
                             -0.0f,
                             1.0f,
                             -1.0f,
                             2.5f,
                             1e-40f, // subnormal
                             -1e-40f,
                             std::numeric_limits<float>::max(),
                             std::numeric_limits<float>::lowest(),
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN(),
                             -std::numeric_limits<float>::quiet_NaN()};

} // namespace

// Every pair of the values, zeros of both signs and NaNs of both signs
// among them: the same bits as the C library.
TEST(FloatMinMax, GivesTheLibrarysAnswersBitForBit)
{
    for (float a : g_values) {
        for (float b : g_values) {
            EXPECT_EQ(Bits(FloatMin(a, b)), Bits(std::fmin(a, b))) << a << " " << b;
            EXPECT_EQ(Bits(FloatMax(a, b)), Bits(std::fmax(a, b))) << a << " " << b;
        }
    }
}

TEST(FloatMinMax, BoxExtremesTakeEachComponentApart)
{
    const Vector3 a{1.0f, -2.0f, std::numeric_limits<float>::quiet_NaN()};
    const Vector3 b{-1.0f, 3.0f, 4.0f};
    const Vector3 low = ComponentMin(a, b);
    const Vector3 high = ComponentMax(a, b);
    EXPECT_EQ(low.x, -1.0f);
    EXPECT_EQ(low.y, -2.0f);
    EXPECT_EQ(low.z, 4.0f); // a missing number gives way
    EXPECT_EQ(high.x, 1.0f);
    EXPECT_EQ(high.y, 3.0f);
    EXPECT_EQ(high.z, 4.0f);
}
