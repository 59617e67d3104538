#include "game/WeightedName.h"

#include <gtest/gtest.h>

#include "platform/Random.h"

namespace {

CPWeightedNames Parse(const std::string& text)
{
    CPWeightedNames names;
    std::string reason;
    EXPECT_TRUE(ParseWeightedNames(text, names, reason)) << reason;
    return names;
}

TEST(WeightedNameTest, BoundsAreRunningSumsOfTheWeights)
{
    const CPWeightedNames names = Parse("a,30;b,70");
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].name, "a");
    EXPECT_EQ(names[0].lower, 0);
    EXPECT_EQ(names[0].upper, 30);
    EXPECT_EQ(names[1].name, "b");
    EXPECT_EQ(names[1].lower, 30);
    EXPECT_EQ(names[1].upper, 100);
}

TEST(WeightedNameTest, EntryForms)
{
    struct Case {
        const char* text;
        std::vector<std::tuple<std::string, int, int>> expected;
    };
    const Case cases[] = {
        {"", {}},
        {"a,10;;b,5;", {{"a", 0, 10}, {"b", 10, 15}}},       // empty entries are skipped
        {"a,x;b,20", {{"a", 0, 0}, {"b", 0, 20}}},           // no number weighs 0
        {"a;b,20", {{"a", 0, 0}, {"b", 0, 20}}},             // no weight weighs 0
        {"\"x;y\",10;z,5", {{"x;y", 0, 10}, {"z", 10, 15}}}, // a quoted name keeps its ";"
    };
    for (const Case& c : cases) {
        const CPWeightedNames names = Parse(c.text);
        ASSERT_EQ(names.size(), c.expected.size()) << c.text;
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(names[i].name, std::get<0>(c.expected[i])) << c.text;
            EXPECT_EQ(names[i].lower, std::get<1>(c.expected[i])) << c.text;
            EXPECT_EQ(names[i].upper, std::get<2>(c.expected[i])) << c.text;
        }
    }
}

TEST(WeightedNameTest, WeightsThatWouldMakeBoundsOverlapAreRefused)
{
    for (const char* text : {"a,10;b,-5;c,10", "a,2147483000;b,1000"}) {
        CPWeightedNames names = Parse("old,1");
        std::string reason;
        EXPECT_FALSE(ParseWeightedNames(text, names, reason)) << text;
        EXPECT_TRUE(names.empty()) << text;
        EXPECT_FALSE(reason.empty()) << text;
    }
}

TEST(WeightedNameTest, ChooseTakesTheEntryWhoseBoundsHoldTheDraw)
{
    const CPWeightedNames names = Parse("a,30;none,0;b,70");
    const std::pair<int, const char*> cases[] = {{0, "a"},  {29, "a"}, {30, "b"},
                                                 {99, "b"}, {100, ""}, {-1, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(ChooseWeightedName(names, c.first), c.second) << c.first;
    EXPECT_EQ(ChooseWeightedName(CPWeightedNames(), 0), "");
}

TEST(WeightedNameTest, DrawUsesTheGameGeneratorModulo100)
{
    // Seed 1 gives 41, 18467, 6334, 26500, 19169: draws 41, 67, 34, 0, 69.
    const CPWeightedNames names = Parse("a,40;b,20;c,40");
    platform::SeedRand(1);
    const char* expected[] = {"b", "c", "a", "a", "c"};
    for (const char* name : expected)
        EXPECT_EQ(DrawWeightedName(names), name);
}

} // namespace
