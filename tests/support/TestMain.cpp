#include <clocale>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Numbers are formatted and parsed in the "C" locale everywhere.
    std::setlocale(LC_ALL, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
