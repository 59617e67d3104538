#include "physics/MassDivisor.h"

#include <cmath>

#include <gtest/gtest.h>

TEST(MassDivisor, StartsAtOneAndIsNeverZero)
{
    EXPECT_EQ(GetMassDivisor(), 1);
    EXPECT_FLOAT_EQ(ApplyMassDivisor(10.0f), 10.0f);
    EXPECT_FLOAT_EQ(ApplyMassDivisor(0.0f), 0.0f);

    EXPECT_FALSE(SetMassDivisor(0));
    EXPECT_FALSE(SetMassDivisor(-2));
    EXPECT_EQ(GetMassDivisor(), 1);
    EXPECT_TRUE(std::isfinite(ApplyMassDivisor(10.0f)));

    EXPECT_TRUE(SetMassDivisor(2));
    EXPECT_FLOAT_EQ(ApplyMassDivisor(10.0f), 5.0f);
    EXPECT_TRUE(SetMassDivisor(1));
}
