#include "platform/HeadlessInputDevice.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

using platform::HeadlessInputDevice;

TEST(InputDeviceTest, KeysAreHeldByScanCodeAndCodesOutsideTheRangeAreRefused)
{
    HeadlessInputDevice device;
    EXPECT_TRUE(device.SetKey(0x39, true));
    EXPECT_TRUE(device.SetKey(0xFF, true));
    EXPECT_TRUE(device.IsKeyDown(0x39));
    EXPECT_TRUE(device.IsKeyDown(0xFF));
    EXPECT_FALSE(device.IsKeyDown(0x38));

    for (int code : {-1, 256, 1000}) {
        EXPECT_FALSE(device.SetKey(code, true)) << code;
        EXPECT_FALSE(device.IsKeyDown(code)) << code;
    }

    EXPECT_TRUE(device.SetKey(0x39, false));
    EXPECT_FALSE(device.IsKeyDown(0x39));
}

TEST(InputDeviceTest, MouseButtonsAreHeldByIndex)
{
    HeadlessInputDevice device;
    EXPECT_TRUE(device.SetButton(0, true));
    EXPECT_TRUE(device.SetButton(7, true));
    EXPECT_FALSE(device.SetButton(8, true));
    EXPECT_FALSE(device.SetButton(-1, true));
    EXPECT_TRUE(device.IsButtonDown(0));
    EXPECT_FALSE(device.IsButtonDown(1));
    EXPECT_TRUE(device.IsButtonDown(7));
    EXPECT_FALSE(device.IsButtonDown(8));
}

TEST(InputDeviceTest, TheMouseTakesFinitePositionsOnly)
{
    HeadlessInputDevice device;
    EXPECT_TRUE(device.MoveMouseTo(512.5f, -3.0f));
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float value : bad) {
        EXPECT_FALSE(device.MoveMouseTo(value, 1.0f));
        EXPECT_FALSE(device.MoveMouseTo(1.0f, value));
    }
    EXPECT_EQ(device.GetMouseX(), 512.5f);
    EXPECT_EQ(device.GetMouseY(), -3.0f);
}

TEST(InputDeviceTest, ReleaseAllLetsGoOfKeysAndButtonsButKeepsTheMouseWhereItIs)
{
    HeadlessInputDevice device;
    device.SetKey(0x1D, true);
    device.SetKey(0xC8, true);
    device.SetButton(1, true);
    device.MoveMouseTo(10.0f, 20.0f);

    device.ReleaseAll();

    EXPECT_FALSE(device.IsKeyDown(0x1D));
    EXPECT_FALSE(device.IsKeyDown(0xC8));
    EXPECT_FALSE(device.IsButtonDown(1));
    EXPECT_EQ(device.GetMouseX(), 10.0f);
    EXPECT_EQ(device.GetMouseY(), 20.0f);
}
