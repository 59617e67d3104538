#include "interface/ActionLine.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct GoodLine {
    const char* line;
    const char* name;
    const char* text;
    const char* key;
    bool numeric;
    int code;
};

struct BadLine {
    const char* line;
    const char* reason; // a piece of the error text
};

} // namespace

TEST(ActionLineTest, CutsWellFormedLinesIntoTheirFields)
{
    const GoodLine cases[] = {
        {"fire;Fire;Space;false", "fire", "Fire", "Space", false, 0},
        {"shoot2;Fire 2;3;true", "shoot2", "Fire 2", "3", true, 3},
        {"a;A;0;true", "a", "A", "0", true, 0},
        {"a;A;255;true", "a", "A", "255", true, 255},
        {"left ; Turn left ; NumPad 4 ; false", "left", "Turn left", "NumPad 4", false, 0},
        {"aim;Aim;\";\";false", "aim", "Aim", ";", false, 0},
        {"say;\"Say \"\"hi\"\"\";Y;false", "say", "Say \"hi\"", "Y", false, 0},
        {"x;;undefined key;false", "x", "", "undefined key", false, 0},
        // What a writer that did not quote left for the key ";".
        {"aim;Aim;;;false", "aim", "Aim", ";", false, 0},
        // Fields past the fourth are not part of a binding.
        {"fire;Fire;Space;false;extra", "fire", "Fire", "Space", false, 0},
        // Fields left out are empty; only the exact "true" makes a code.
        {"fire;Fire;Space", "fire", "Fire", "Space", false, 0},
        {"fire;Fire;Space;", "fire", "Fire", "Space", false, 0},
        {"fire", "fire", "", "", false, 0},
        {"shoot2;Fire 2;3;TRUE", "shoot2", "Fire 2", "3", false, 0},
        {"fire;Fire;Space;False", "fire", "Fire", "Space", false, 0},
        {"fire;Fire;Space;1", "fire", "Fire", "Space", false, 0},
    };
    for (const GoodLine& c : cases) {
        ActionLine line;
        std::string error;
        ASSERT_TRUE(ActionLine::Parse(c.line, line, error)) << c.line << ": " << error;
        EXPECT_EQ(line.name, c.name) << c.line;
        EXPECT_EQ(line.text, c.text) << c.line;
        EXPECT_EQ(line.key, c.key) << c.line;
        EXPECT_EQ(line.numeric, c.numeric) << c.line;
        EXPECT_EQ(line.code, c.code) << c.line;
    }
}

TEST(ActionLineTest, RefusesLinesThatAreNoBinding)
{
    const BadLine cases[] = {
        {";Fire;Space;false", "no action"}, {"", "no action"},
        {"x;X;256;true", "from 0 to 255"},  {"x;X;-1;true", "from 0 to 255"},
        {"x;X;1000;true", "from 0 to 255"}, {"x;X;+3;true", "from 0 to 255"},
        {"x;X;3a;true", "from 0 to 255"},   {"x;X;Space;true", "from 0 to 255"},
        {"x;X;;true", "from 0 to 255"},     {"x;X;99999999999999999999;true", "from 0 to 255"},
    };
    for (const BadLine& c : cases) {
        ActionLine line;
        line.name = "kept";
        std::string error;
        EXPECT_FALSE(ActionLine::Parse(c.line, line, error)) << c.line;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << ": " << error;
        EXPECT_EQ(line.name, "kept") << c.line;
    }
}

TEST(ActionLineTest, WritesFourFieldsAndQuotesOnlyWhatTheSeparatorWouldCut)
{
    struct Case {
        ActionLine line;
        const char* written;
    };
    const Case cases[] = {
        {{"fire", "Fire", "Space", false, 0}, "fire;Fire;Space;false\r\n"},
        {{"shoot2", "Fire 2", "3", true, 3}, "shoot2;Fire 2;3;true\r\n"},
        {{"aim", "Aim", ";", false, 0}, "aim;Aim;\";\";false\r\n"},
        {{"say", "Say \"hi\"", "'", false, 0}, "say;\"Say \"\"hi\"\"\";';false\r\n"},
        {{"x", "", "undefined key", false, 0}, "x;;undefined key;false\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.line.Format(), c.written);
        // What is written reads back as the same binding.
        std::string text = c.line.Format();
        text.resize(text.size() - 2);
        ActionLine back;
        std::string error;
        ASSERT_TRUE(ActionLine::Parse(text, back, error)) << text << ": " << error;
        EXPECT_EQ(back.name, c.line.name);
        EXPECT_EQ(back.text, c.line.text);
        EXPECT_EQ(back.key, c.line.key);
        EXPECT_EQ(back.numeric, c.line.numeric);
    }
}
