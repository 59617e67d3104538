#include <clocale>

#include <gtest/gtest.h>

#include "platform/HeadlessGraphicsDevice.h"

int main(int argc, char** argv)
{
    // Numbers are formatted and parsed in the "C" locale everywhere.
    std::setlocale(LC_ALL, "C");
    // Draws that reach past their declared vertices fail in every test,
    // whatever the build type.
    platform::HeadlessGraphicsDevice::SetDrawIndexCheck(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
