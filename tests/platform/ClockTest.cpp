#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, TestsCanReplaceAndRestoreTheSource)
{
    std::uint32_t now = 1000;
    platform::SetClockSource([&now] { return now; });
    EXPECT_EQ(platform::Milliseconds(), 1000u);
    now += 16;
    EXPECT_EQ(platform::Milliseconds(), 1016u);

    platform::SetClockSource(nullptr);
    std::uint32_t a = platform::Milliseconds();
    std::uint32_t b = platform::Milliseconds();
    EXPECT_LE(a, b);
    EXPECT_LT(b, 1000u * 60 * 60); // the real clock counts from program start
}
