#include "Render/SceneFile.h"

#include <gtest/gtest.h>

namespace {

SceneFile Parse(const std::string& text)
{
    SceneFile scene;
    ParseSceneFile(text.data(), static_cast<int>(text.size()), scene);
    return scene;
}

} // namespace

TEST(SceneFile, FirstLineGivesTheMeshEntry)
{
    struct Case {
        const char* text;
        const char* entry;
    };
    const Case cases[] = {
        {"mesh = car.p3d\n", "car.p3d"},
        {"// a comment\n\n  mesh=empty  \r\n", "empty"},
        {"justoneword\n", ""},
        {"mesh = Big.MSH\n", "Big.MSH"}, // the file reader folds the case
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Parse(c.text).meshEntry, c.entry);
    }
}

TEST(SceneFile, SectionsListsAndLastValues)
{
    const SceneFile scene = Parse("mesh = a.msh\n"
                                  "type = 3\n" // before any header: lost
                                  "Sprite = Flare,1,2,3,0.5,,0,0,0,\n"
                                  "linecolor = 11\n"
                                  "[Wheel]\n"
                                  "EffectFile = Car.FX\n"
                                  "sprite = glow,0,0,0,1\n" // a list key inside a section
                                  "effectfile = second.fx\n"
                                  "[]\n" // an empty header does not end the file
                                  "light = l,,x,0,0,0,1,1,1,0.1,5\n"
                                  "linecolor = FF102030\n"
                                  "[wheel]\n"
                                  "texturefile1 = t.tga\n");
    EXPECT_EQ(scene.meshEntry, "a.msh");
    ASSERT_EQ(scene.sprites.size(), 2u);
    EXPECT_EQ(scene.sprites[0], "flare,1,2,3,0.5,,0,0,0,");
    EXPECT_EQ(scene.sprites[1], "glow,0,0,0,1");
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_EQ(scene.lineColor, "ff102030");

    ASSERT_EQ(scene.sections.count("wheel"), 1u);
    const SceneSection& wheel = scene.Section("wheel");
    EXPECT_EQ(wheel.at("effectfile"), "second.fx");
    EXPECT_EQ(wheel.at("texturefile1"), "t.tga");
    EXPECT_EQ(wheel.count("sprite"), 0u);
    EXPECT_EQ(scene.sections.count(""), 1u);
    for (const auto& section : scene.sections)
        EXPECT_EQ(section.second.count("type"), 0u) << section.first;
    EXPECT_TRUE(scene.Section("nowhere").empty());
}

TEST(SceneFile, FieldsSplitWithQuotesAndMissingOnesAreEmpty)
{
    const std::vector<std::string> fields = SplitFields("a, \"b,c\" ,,d", ",");
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[1], "b,c");
    EXPECT_EQ(fields[2], "");
    EXPECT_EQ(Field(fields, 3), "d");
    EXPECT_EQ(Field(fields, 9), "");
}
