#include "core/TextReader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Line {
    std::string text;
    int valueLine;
};

struct Case {
    const char* what;
    std::string data;
    std::vector<Line> lines; // what GetLine gives while it returns true
};

// Reads every line that GetLine reports, then checks that the reader stays
// at its end.
std::vector<Line> ReadAll(CPTextReader& reader)
{
    std::vector<Line> lines;
    std::string line;
    while (reader.GetLine(line))
        lines.push_back({line, reader.IsValueLine()});
    EXPECT_EQ(line, "");
    EXPECT_FALSE(reader.GetLine(line));
    EXPECT_EQ(line, "");
    return lines;
}

} // namespace

TEST(TextReader, CommentsHeadersAndTrimming)
{
    const std::vector<Case> cases = {
        {"blank, comment and padded lines", "a\r\n\r\n// note\r\n  b  \n", {{"a", 1}, {"b", 1}}},
        {"line feeds only", "a\n\n//x\n\t b \t\n", {{"a", 1}, {"b", 1}}},
        {"two slashes anywhere drop the line", "speed 5 http://example.com\nnext\n", {{"next", 1}}},
        {"section header", "[Section]\nvalue 1\n", {{"Section", 0}, {"value 1", 1}}},
        {"padded header", "  [ two words ]\r\n", {{" two words ", 0}}},
        {"unclosed bracket is a value", "[open\n", {{"[open", 1}}},
        {"block comment over lines", "x /* start\ny\nz */ w\nv\n", {{"v", 1}}},
        {"block comment on one line", "a /* c */ b\nv\n", {{"v", 1}}},
        {"block opened in a dropped line", "// x /* y\nz\n", {{"z", 1}}},
        {"unterminated block swallows the rest", "a\n/*\nb\nc", {{"a", 1}}},
        {"zero byte ends a line", std::string("a\0b\nc", 5), {{"a", 1}, {"b", 1}, {"c", 1}}},
        {"no final line feed", "first\nlast", {{"first", 1}, {"last", 1}}},
        {"inner carriage return stays", "a\rb\r\n", {{"a\rb", 1}}},
        {"blanks only", " \t\r\n\r\n  ", {}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        CPTextReader reader(c.data.data(), static_cast<std::int32_t>(c.data.size()));
        const std::vector<Line> lines = ReadAll(reader);
        ASSERT_EQ(lines.size(), c.lines.size()) << c.what;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].text, c.lines[i].text) << c.what << ", line " << i;
            EXPECT_EQ(lines[i].valueLine, c.lines[i].valueLine) << c.what << ", line " << i;
        }
    }
}

TEST(TextReader, CountsLineFeedsPassed)
{
    const std::string data = "a\r\n\r\n// note\r\n  b  \n";
    CPTextReader reader(data.data(), static_cast<std::int32_t>(data.size()));
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(reader.GetLineCount(), 1);
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(reader.GetCurrentLine(), "b");
    EXPECT_EQ(reader.GetLineCount(), 4);
    EXPECT_FALSE(reader.ReadLine());
    EXPECT_EQ(reader.GetLineCount(), 4);

    // A zero byte ends a line without counting as one.
    const std::string zeros("a\0b\0c", 5);
    CPTextReader zeroReader(zeros.data(), static_cast<std::int32_t>(zeros.size()));
    while (zeroReader.ReadLine()) {
    }
    EXPECT_EQ(zeroReader.GetLineCount(), 0);
}

TEST(TextReader, EmptyHeaderEndsTheCallButNotTheData)
{
    // The brackets come off after the search for a non-empty line, so "[]"
    // reads as an empty header and the call reports no line; the data after
    // it is still there for the next call.
    const std::string data = "[]\nafter\n";
    CPTextReader reader(data.data(), static_cast<std::int32_t>(data.size()));
    std::string line = "stale";
    EXPECT_FALSE(reader.GetLine(line));
    EXPECT_EQ(line, "");
    EXPECT_EQ(reader.IsValueLine(), 0);
    EXPECT_TRUE(reader.GetLine(line));
    EXPECT_EQ(line, "after");
    EXPECT_EQ(reader.IsValueLine(), 1);
}

TEST(TextReader, ReadsOnlyTheGivenBytes)
{
    // The size bounds the read even when the buffer goes on.
    const char data[] = "one\ntwo\nthree\n";
    CPTextReader reader(data, 6);
    std::string line;
    EXPECT_TRUE(reader.GetLine(line));
    EXPECT_EQ(line, "one");
    EXPECT_TRUE(reader.GetLine(line));
    EXPECT_EQ(line, "tw");
    EXPECT_FALSE(reader.GetLine(line));

    CPTextReader nothing(nullptr, 10);
    EXPECT_FALSE(nothing.GetLine(line));
    CPTextReader negative(data, -1);
    EXPECT_FALSE(negative.GetLine(line));
}
