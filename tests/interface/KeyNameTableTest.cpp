#include "interface/KeyNameTable.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

struct NamedCode {
    int code;
    const char* name;
};

} // namespace

TEST(KeyNameTableTest, ScanCodesReadTheirNames)
{
    const NamedCode cases[] = {
        {0x00, "undefined key"},
        {0x01, "Esc"},
        {0x02, "1"},
        {0x0B, "0"},
        {0x1C, "Enter"},
        {0x27, ";"},
        {0x29, "`"},
        {0x2B, "\\"},
        {0x39, "Space"},
        {0x47, "NumPad 7"},
        {0x53, "NumPad ."},
        {0x54, "undefined key"},
        {0x57, "F11"},
        {0x8D, "Numpad ="},
        {0x90, "CircumFlex"},
        {0x9C, "NumPad Enter"},
        {0xB3, "Numpad ,"},
        {0xB5, "Numpad /"},
        {0xC8, "Up"},
        {0xD3, "Del"},
        // Codes past the table and below it have no key either.
        {0xD4, "undefined key"},
        {0xFF, "undefined key"},
        {-1, "undefined key"},
    };
    for (const NamedCode& c : cases)
        EXPECT_EQ(KeyNameTable::GetName(c.code), c.name) << std::hex << c.code;
}

TEST(KeyNameTableTest, HoldsTwoHundredTwelveCodesOfWhichOneHundredEighteenAreNamedOnce)
{
    std::set<std::string> names;
    int named = 0;
    for (int code = 0; code < KeyNameTable::kCount; ++code) {
        const std::string& name = KeyNameTable::GetName(code);
        if (name == "undefined key")
            continue;
        ++named;
        names.insert(name);
        // Each name leads back to its own code.
        int found = -1;
        ASSERT_TRUE(KeyNameTable::Find(name, found)) << name;
        EXPECT_EQ(found, code) << name;
    }
    EXPECT_EQ(KeyNameTable::kCount, 0xD3 + 1);
    EXPECT_EQ(named, 118);
    EXPECT_EQ(names.size(), 118u);
}

TEST(KeyNameTableTest, LookupComparesBytesExactly)
{
    const NamedCode found[] = {
        {0x00, "undefined key"}, {0x39, "Space"}, {0x8D, "Numpad ="}, {0x4A, "NumPad -"}};
    for (const NamedCode& c : found) {
        int code = -1;
        ASSERT_TRUE(KeyNameTable::Find(c.name, code)) << c.name;
        EXPECT_EQ(code, c.code) << c.name;
    }

    const char* missing[] = {"space", "SPACE", "NumPad =", "Numpad 7", "Space ", "", "Circumflex"};
    for (const char* name : missing) {
        int code = 77;
        EXPECT_FALSE(KeyNameTable::Find(name, code)) << name;
        EXPECT_EQ(code, 77) << name;
    }
}
