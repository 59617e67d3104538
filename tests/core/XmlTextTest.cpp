// The text the descriptions are parsed from keeps TinyXML within it.
#include <string>

#include <gtest/gtest.h>
#include <tinyxml.h>

#include "core/XmlText.h"
#include "support/GuardedBytes.h"

namespace {

bool ParsesWhole(const char* text)
{
    TiXmlDocument document;
    document.Parse(text);
    return !document.Error();
}

} // namespace

TEST(XmlTextDeathTest, ATextEndingInALeadByteTakesTheParserPastASingleTerminator)
{
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    // The declaration makes the parser read UTF-8.
    const std::string text = "<?xml version=\"1.0\"?>\n<object>a name \xF0";
    EXPECT_DEATH(
        {
            GuardedBytes bare(text + '\0');
            ParsesWhole(bare.Data());
        },
        "");
}

TEST(XmlTextTest, TheParserStaysInsideTheTextMadeForIt)
{
    const std::string declared = "<?xml version=\"1.0\"?>\n<object>a name ";
    struct Case {
        std::string bytes;
        bool whole;
    };
    const Case cases[] = {
        {declared + "\xC3", false},          {declared + "\xE2\x82", false}, {declared + "\xF0", false},
        {"\xEF\xBB\xBF<object/>\xF7", true}, {"<object name=\"\xF0", false}, {"", false},
        {declared + "</object>", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string text =
            XmlParseText(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(text.compare(0, c.bytes.size(), c.bytes), 0);
        // The string's own terminator is part of what the parser reads.
        GuardedBytes guarded(std::string(text.c_str(), text.size() + 1));
        ASSERT_NE(guarded.Data(), nullptr);
        EXPECT_EQ(ParsesWhole(guarded.Data()), c.whole);
    }
}
