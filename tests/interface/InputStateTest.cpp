#include <limits>

#include <gtest/gtest.h>

#include "InputManagerTestSupport.h"
#include "platform/HeadlessInputDevice.h"

TEST_F(InputManagerTest, TheMousePositionIsReadFromTheDeviceAndTruncated)
{
    struct Case {
        float x, y;
        int expectedX, expectedY;
    };
    const Case cases[] = {
        {10.9f, 20.2f, 10, 20},
        {-3.7f, 0.5f, -3, 0},
        {1023.99f, 767.0f, 1023, 767},
        {1e20f, -1e20f, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()},
    };
    platform::HeadlessInputDevice device;
    for (const Case& c : cases) {
        ASSERT_TRUE(device.MoveMouseTo(c.x, c.y));
        EXPECT_TRUE(manager.ReadDevice(device)) << c.x;
        int x = 0, y = 0;
        manager.GetMousePos(x, y);
        EXPECT_EQ(x, c.expectedX) << c.x;
        EXPECT_EQ(y, c.expectedY) << c.y;
    }
    EXPECT_FALSE(manager.ReadDevice(device)); // it has not moved since
}

TEST_F(InputManagerTest, HeldKeysAndButtonsDriveTheirActionsWhileActionsAreEnabled)
{
    Load("Actions.cfg", "fire;Fire;Space;false\r\n"
                        "shoot2;Fire 2;1;true\r\n"
                        "horn;Horn;NoSuchKey;false\r\n");
    platform::HeadlessInputDevice device;
    device.SetKey(0x39, true);
    device.SetKey(0x00, true);
    device.SetButton(1, true);
    manager.ReadDevice(device);

    EXPECT_FALSE(manager.IsActionDown("fire")); // actions start disabled
    manager.SetActionsEnabled(true);
    EXPECT_TRUE(manager.IsActionDown("fire"));
    EXPECT_TRUE(manager.IsActionDown("shoot2"));
    EXPECT_FALSE(manager.IsActionDown("horn")); // no key, whatever code 0 says
    EXPECT_FALSE(manager.IsActionDown("Fire")); // the menu text is no action name

    device.ReleaseAll();
    manager.ReadDevice(device);
    EXPECT_FALSE(manager.IsActionDown("fire"));
    EXPECT_FALSE(manager.IsActionDown("shoot2"));
}
