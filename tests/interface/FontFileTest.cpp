// Fonts come from a font file: glyph cells on a picture, advances and line
// height; a file that cannot be used loads no font and says why.
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "InterfaceTestWorld.h"
#include "core/GameObject.h"
#include "interface/FontFile.h"

namespace {

const char kTwoFonts[] = "// two fonts\n"
                         "[main]\n"
                         "texture = font.tga\n"
                         "size = 256,64\n"
                         "cell = 16,16\n"
                         "columns = 16\n"
                         "line_height = 18\n"
                         "glyph = 65,17,14\n"
                         "glyph = 32,0,10\n"
                         "[small]\n"
                         "texture = small.tga\n"
                         "effect = interface2.fx\n"
                         "size = 64,32\n"
                         "cell = 8,8\n"
                         "columns = 8\n"
                         "line_height = 9\n"
                         "glyph = 48,31,6\n";

TEST(FontFile, PlacesEachGlyphInItsCell)
{
    InterfaceWorld world;
    CPInterfaceManager fonts; // goes before the world's material library
    world.folder.Write("Data/Interface/fonts.txt", kTwoFonts);
    ASSERT_TRUE(CPFontFile::Load(CPFontFile::kDefaultFile, fonts));
    EXPECT_EQ(fonts.GetFontCount(), 2u);

    const CPFont& main = fonts.GetFont("main");
    // Cell 17 is the second of the second row: x 16..32 of 256, y 16..32 of 64.
    const CPFont::GlyphRect& a = main.glyphs['A'];
    EXPECT_FLOAT_EQ(a.left, 0.0625f);
    EXPECT_FLOAT_EQ(a.right, 0.125f);
    EXPECT_FLOAT_EQ(a.top, 0.25f);
    EXPECT_FLOAT_EQ(a.bottom, 0.5f);
    EXPECT_FLOAT_EQ(main.widths['A'], 14.0f);
    EXPECT_FLOAT_EQ(main.widths[' '], 10.0f);
    EXPECT_FLOAT_EQ(main.widths['B'], 0.0f);
    EXPECT_FLOAT_EQ(main.lineHeight, 18.0f);
    EXPECT_TRUE(main.material);

    // The last cell of an 8 x 4 grid on 64 x 32.
    const CPFont& small = fonts.GetFont("small");
    EXPECT_FLOAT_EQ(small.glyphs['0'].left, 0.875f);
    EXPECT_FLOAT_EQ(small.glyphs['0'].top, 0.75f);
    EXPECT_FLOAT_EQ(small.glyphs['0'].bottom, 1.0f);
    EXPECT_FLOAT_EQ(small.lineHeight, 9.0f);
}

TEST(FontFile, LaidOutTextUsesTheLoadedFont)
{
    InterfaceWorld world;
    CPInterfaceManager fonts; // goes before the world's material library
    world.folder.Write("Data/Interface/fonts.txt", kTwoFonts);
    ASSERT_TRUE(CPFontFile::Load(CPFontFile::kDefaultFile, fonts));
    CPGameObject text("text");
    text.SetRenderObject(CPObjectPtr(new CPRenderObject(&text)), CPGameObject::kMeshObject);
    fonts.LayoutText(CPObjectPtr(&text), 100.0f, 50.0f, "main", "A A");
    auto* render = text.GetRenderObject().As<CPRenderObject>();
    ASSERT_EQ(render->GetVertices().size(), 12u);
    // Advances overlap by two pixels: A (14), space (10), A.
    EXPECT_FLOAT_EQ(render->GetVertices()[4].position.x, 112.0f);
    EXPECT_FLOAT_EQ(render->GetVertices()[8].position.x, 120.0f);
    EXPECT_FLOAT_EQ(render->GetVertices()[2].position.y, 68.0f);
    EXPECT_FLOAT_EQ(render->GetVertices()[0].uv1.x, 0.0625f);
}

struct BadFont {
    const char* what;
    const char* text; // nullptr: no file at all
    const char* logged;
};

const BadFont kBadFonts[] = {
    {"missing file", nullptr, "cannot be read"},
    {"empty file", "", "cannot be"},
    {"cut after the header", "[main]\ntexture = font.tga\nsize = 256,", "out of range"},
    {"cut before the glyphs",
     "[main]\ntexture = font.tga\nsize = 256,64\ncell = 16,16\ncolumns = 16\n"
     "line_height = 16\n",
     "has no glyph"},
    {"no line height",
     "[main]\ntexture = font.tga\nsize = 256,64\ncell = 16,16\ncolumns = 16\nglyph = 65,0,8\n", "lacks"},
    {"value before a section", "texture = font.tga\n[main]\n", "before the first font section"},
    {"line without value", "[main]\ntexture\n", "no key = value"},
    {"unknown key", "[main]\ncolour = red\n", "unknown key"},
    {"text for a number", "[main]\ncolumns = many\n", "out of range"},
    {"glyph code past 255", "[main]\nglyph = 300,0,8\n", "out of range"},
    {"glyph with two fields", "[main]\nglyph = 65,0\n", "needs a code"},
    {"cell below the picture",
     "[main]\ntexture = font.tga\nsize = 256,64\ncell = 16,16\ncolumns = 16\n"
     "line_height = 16\nglyph = 65,64,8\n",
     "below its picture"},
    {"columns wider than the picture",
     "[main]\ntexture = font.tga\nsize = 64,64\ncell = 16,16\ncolumns = 16\n"
     "line_height = 16\nglyph = 65,0,8\n",
     "more columns"},
    // Columns times the cell width passes the largest int.
    {"columns so many their width overflows",
     "[main]\ntexture = font.tga\nsize = 256,64\ncell = 16,16\ncolumns = 144444446\n"
     "line_height = 16\nglyph = 65,0,8\n",
     "more columns"},
    {"cell row so low its bottom overflows",
     "[main]\ntexture = font.tga\nsize = 256,64\ncell = 16,1000000\ncolumns = 1\n"
     "line_height = 16\nglyph = 65,3000,8\n",
     "below its picture"},
};

TEST(FontFile, UnusableFileLoadsNoFontAndSaysWhy)
{
    for (const BadFont& bad : kBadFonts) {
        SCOPED_TRACE(bad.what);
        InterfaceWorld world;
        CPInterfaceManager fonts;
        LogCapture log;
        if (bad.text)
            world.folder.Write("Data/Interface/fonts.txt", bad.text);
        EXPECT_FALSE(CPFontFile::Load(CPFontFile::kDefaultFile, fonts));
        EXPECT_EQ(fonts.GetFontCount(), 0u);
        EXPECT_TRUE(log.Contains(bad.logged)) << log.Text();
        EXPECT_TRUE(log.Contains("no font was loaded")) << log.Text();
    }
}

// A later good font does not rescue a file whose first font is broken.
TEST(FontFile, OneBrokenFontLoadsNoneOfTheFile)
{
    InterfaceWorld world;
    CPInterfaceManager fonts; // goes before the world's material library
    world.folder.Write("Data/Interface/fonts.txt", std::string("[broken]\ntexture = x.tga\n") + kTwoFonts);
    EXPECT_FALSE(CPFontFile::Load(CPFontFile::kDefaultFile, fonts));
    EXPECT_EQ(fonts.GetFontCount(), 0u);
}

TEST(FontFile, SampleFontHasEveryLetterInBothCases)
{
    std::ifstream in(std::string(RS_SOURCE_DIR) + "/data/sample/Data/Interface/fonts.txt", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty());
    InterfaceWorld world;
    CPInterfaceManager fonts; // goes before the world's material library
    world.folder.Write("Data/Interface/fonts.txt", text);
    ASSERT_TRUE(CPFontFile::Load(CPFontFile::kDefaultFile, fonts));
    const CPFont& font = fonts.GetFont("main");
    for (char c = 'A'; c <= 'Z'; ++c) {
        SCOPED_TRACE(std::string(1, c));
        EXPECT_GT(font.widths[static_cast<unsigned char>(c)], 0.0f);
        EXPECT_EQ(font.glyphs[static_cast<unsigned char>(c)].left,
                  font.glyphs[static_cast<unsigned char>(c - 'A' + 'a')].left);
        EXPECT_EQ(font.glyphs[static_cast<unsigned char>(c)].top,
                  font.glyphs[static_cast<unsigned char>(c - 'A' + 'a')].top);
    }
    for (char c : std::string("0123456789 .:-"))
        EXPECT_GT(font.widths[static_cast<unsigned char>(c)], 0.0f) << c;
}

} // namespace
