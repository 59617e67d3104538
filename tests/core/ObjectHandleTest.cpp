#include "core/ObjectHandle.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

TEST(ObjectHandleTest, AnAddressReadsBackWhole)
{
    // An address above 32 bits must survive the trip in full.
    const auto high = static_cast<std::uintptr_t>(0x7ffd12345678ULL);
    const void* object = reinterpret_cast<const void*>(high);

    EXPECT_EQ(FormatObjectHandle(object), "140724908873336");
    EXPECT_EQ(ParseObjectHandle("140724908873336"), object);
    EXPECT_EQ(FormatObjectHandle(nullptr), "0");

    int local = 0;
    EXPECT_EQ(ParseObjectHandle(FormatObjectHandle(&local)), &local);
}

TEST(ObjectHandleTest, TextThatIsNoHandleGivesNull)
{
    for (const char* text : {"", "-1", "12a", " 12", "1.5", "99999999999999999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseObjectHandle(text), nullptr);
    }
}
