#include "core/StringUtils.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {
const double kPi = 3.14159265358979323846;
} // namespace

TEST(StringUtils, BlankCharsAreSpaceTabCarriageReturnAndLineFeed)
{
    for (int c = 0; c < 256; ++c) {
        const bool blank = c == ' ' || c == 9 || c == 10 || c == 13;
        EXPECT_EQ(IsBlankChar(static_cast<char>(c)), blank) << "byte " << c;
    }
}

TEST(StringUtils, TrimRemovesBlanksFromBothEndsInPlace)
{
    struct Case {
        std::string text, expected;
    };
    const std::vector<Case> cases = {
        {"", ""},     {" \t\r\n ", ""}, {"  a b \t\r\n", "a b"}, {"\ta", "a"},
        {"a\n", "a"}, {"x", "x"},       {"\va\v", "\va\v"}, // vertical tab is not a blank here
    };
    for (const Case& c : cases) {
        std::string s = c.text;
        std::string& result = TrimString(s);
        EXPECT_EQ(&result, &s);
        EXPECT_EQ(s, c.expected) << "text \"" << c.text << "\"";
    }
}

TEST(StringUtils, KeyValueLinesCutAtTheFirstEquals)
{
    const struct Case {
        const char* line;
        bool ok;
        const char* key;
        const char* value;
    } cases[] = {
        {"size = 16,16", true, "size", "16,16"}, {"glyph=65, 1, 9", true, "glyph", "65, 1, 9"},
        {"effect = a=b", true, "effect", "a=b"}, {" = ", true, "", ""},
        {"no equals here", false, "old", "old"},
    };
    for (const Case& c : cases) {
        std::string key = "old";
        std::string value = "old";
        EXPECT_EQ(SplitKeyValue(c.line, key, value), c.ok) << c.line;
        EXPECT_EQ(key, c.key) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
}

TEST(StringUtils, IntegerStringAcceptsOnlyDigitsAndMinus)
{
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"12", true},   {"-5", true},  {"1-2", true}, {"--", true},   {"", true},
        {"1.5", false}, {" 1", false}, {"+1", false}, {"1e3", false}, {"\xB2", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsIntegerString(c.text), c.expected) << "text \"" << c.text << "\"";
}

TEST(StringUtils, CaseConversionChangesAsciiLettersOnly)
{
    std::string s = "Data\\Levels\\Track_01.LVL";
    std::string& lowered = ToLowerString(s);
    EXPECT_EQ(&lowered, &s);
    EXPECT_EQ(s, "data\\levels\\track_01.lvl");
    std::string& raised = ToUpperString(s);
    EXPECT_EQ(&raised, &s);
    EXPECT_EQ(s, "DATA\\LEVELS\\TRACK_01.LVL");
}

TEST(StringUtils, CaseConversionPassesHighBytesThrough)
{
    // Bytes above 127 are negative in a plain char; in the "C" locale they
    // have no case and must come back unchanged.
    const std::string high = "\x80\xC9\xE9\xFF";
    std::string s = "a" + high + "Z";
    ToLowerString(s);
    EXPECT_EQ(s, "a" + high + "z");
    ToUpperString(s);
    EXPECT_EQ(s, "A" + high + "Z");
}

TEST(StringUtils, IntersectRayPlane)
{
    struct Case {
        Vector3 origin, direction;
        Plane plane;
        float expected;
    };
    const Case cases[] = {
        {{0, 0, 5}, {0, 0, -1}, {0, 0, 1, 0}, 5.0f},   // straight down onto z = 0
        {{0, 0, 5}, {0, 0, 1}, {0, 0, 1, 0}, -1.0f},   // running away from the front side
        {{0, 0, 5}, {1, 0, 0}, {0, 0, 1, 0}, -1.0f},   // parallel
        {{0, 0, -2}, {0, 0, 1}, {0, 0, 1, 0}, -1.0f},  // reaching the back side
        {{0, 0, -2}, {0, 0, -1}, {0, 0, 1, 0}, -2.0f}, // plane behind the origin
        {{0, 0, 5}, {0, 0, -2}, {0, 0, 1, -3}, 1.0f},  // plane z = 3, direction not unit
        {{2, 2, 0}, {-1, 0, 0}, {1, 1, 0, 0}, 4.0f},   // tilted plane x + y = 0
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(IntersectRayPlane(c.origin, c.direction, c.plane), c.expected)
            << "origin (" << c.origin.x << "," << c.origin.y << "," << c.origin.z << ") direction ("
            << c.direction.x << "," << c.direction.y << "," << c.direction.z << ")";
}

TEST(StringUtils, PointInTriangleInEachProjection)
{
    struct Case {
        const char* what;
        Vector3 point, a, b, c;
        bool expected;
    };
    // Right triangles with legs of 4 facing z, y and x in turn; the point's
    // coordinate along the facing axis does not matter.
    const Vector3 xyA{0, 0, 0}, xyB{4, 0, 0}, xyC{0, 4, 0};
    const Vector3 xzA{0, 2, 0}, xzB{4, 2, 0}, xzC{0, 2, 4};
    const Vector3 yzA{2, 0, 0}, yzB{2, 4, 0}, yzC{2, 0, 4};
    const Case cases[] = {
        {"x-y centroid", {4.0f / 3, 4.0f / 3, 0}, xyA, xyB, xyC, true},
        {"x-y off the plane", {1, 1, 9}, xyA, xyB, xyC, true},
        {"x-y beyond the long edge", {3, 3, 0}, xyA, xyB, xyC, false},
        {"x-y outside the bounds", {5, 1, 0}, xyA, xyB, xyC, false},
        {"x-y below", {1, -1, 0}, xyA, xyB, xyC, false},
        {"x-z inside", {1, 7, 1}, xzA, xzB, xzC, true},
        {"x-z outside", {3, 2, 3}, xzA, xzB, xzC, false},
        {"y-z inside", {9, 1, 1}, yzA, yzB, yzC, true},
        {"y-z outside", {2, 3, 3}, yzA, yzB, yzC, false},
        {"y-z outside the bounds", {2, -1, 1}, yzA, yzB, yzC, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPointInTriangle(c.point, c.a, c.b, c.c), c.expected) << c.what;
}

TEST(StringUtils, PointInTriangleWithAnEdgeAlongTheProjectionAxis)
{
    // The edge from C back to A runs along y at x = 0, so at x = 0 it has no
    // single height: the other two edges decide.
    const Vector3 a{0, 0, 0}, b{4, 2, 0}, c{0, 4, 0};
    EXPECT_TRUE(IsPointInTriangle({0, 2, 0}, a, b, c));
    EXPECT_FALSE(IsPointInTriangle({0, -1, 0}, a, b, c));
    EXPECT_FALSE(IsPointInTriangle({0, 5, 0}, a, b, c));
    EXPECT_TRUE(IsPointInTriangle({1, 2, 0}, a, b, c));

    // A triangle shrunk to a point holds nothing, not even that point.
    const Vector3 p{1, 1, 1};
    EXPECT_FALSE(IsPointInTriangle(p, p, p, p));
}

TEST(StringUtils, ClampedArcFunctions)
{
    struct Case {
        float x;
        double acos, asin;
    };
    const Case cases[] = {
        {1.0000001f, 0.0, kPi / 2},   {1.0f, 0.0, kPi / 2},           {5.0f, 0.0, kPi / 2},
        {-1.0000001f, kPi, -kPi / 2}, {-5.0f, kPi, -kPi / 2},         {0.5f, kPi / 3, kPi / 6},
        {0.0f, kPi / 2, 0.0},         {-0.5f, 2 * kPi / 3, -kPi / 6},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(ClampedAcos(c.x), c.acos, 1e-12) << "x " << c.x;
        EXPECT_NEAR(ClampedAsin(c.x), c.asin, 1e-12) << "x " << c.x;
    }
}
