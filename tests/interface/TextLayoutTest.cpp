#include <gtest/gtest.h>

#include "InterfaceTestWorld.h"
#include "core/GameObject.h"
#include "interface/InterfaceManager.h"

namespace {

class TextLayoutTest : public ::testing::Test {
  protected:
    TextLayoutTest()
    {
        text.SetRenderObject(CPObjectPtr(render), CPGameObject::kMeshObject);
        auto* font = new CPFont();
        font->widths['A'] = 12.0f;
        font->widths['B'] = 9.0f;
        font->widths['C'] = 7.0f;
        font->widths[200] = 5.0f;
        font->glyphs['A'] = {0.0f, 0.0f, 0.25f, 0.5f};
        font->glyphs['C'] = {0.5f, 0.5f, 0.75f, 1.0f};
        font->glyphs[200] = {0.75f, 0.0f, 1.0f, 0.5f};
        font->lineHeight = 20.0f;
        font->material = CPObjectPtr(&material);
        manager.AddFont("big", font);
    }

    CPGameObject material{"stands for a material"};
    CPInterfaceManager manager;
    CPGameObject text{"text"};
    CPRenderObject* render = new CPRenderObject(&text);
};

TEST_F(TextLayoutTest, BytesBecomeOverlappingQuadsAndCaretBreaksTheLine)
{
    CPObjectPtr result = manager.LayoutText(CPObjectPtr(&text), 100.5f, 50.5f, "big", "AB^C");
    EXPECT_EQ(result.Get(), render);
    EXPECT_EQ(MaterialOf(*render), CPObjectPtr(&material));

    // A at the start, B two pixels into A's width, C on the next line.
    const std::vector<std::pair<float, float>> expected = {{100.5f, 50.5f}, {110.5f, 50.5f}, {100.5f, 70.5f}};
    EXPECT_EQ(QuadCorners(*render), expected);

    const std::vector<CPMeshVertex>& v = render->GetVertices();
    ASSERT_EQ(v.size(), 12u);
    // A's quad: 12 wide, 20 high, its glyph rectangle corner by corner.
    EXPECT_FLOAT_EQ(v[1].position.x, 112.5f);
    EXPECT_FLOAT_EQ(v[2].position.y, 70.5f);
    EXPECT_FLOAT_EQ(v[1].uv1.x, 0.25f);
    EXPECT_FLOAT_EQ(v[2].uv1.y, 0.5f);
    EXPECT_FLOAT_EQ(v[3].uv1.x, 0.0f);
    EXPECT_FLOAT_EQ(v[3].uv1.y, 0.5f);
    // C's quad ends 7 pixels right of its start.
    EXPECT_FLOAT_EQ(v[9].position.x, 107.5f);
    EXPECT_FLOAT_EQ(v[8].uv1.x, 0.5f);
    const std::vector<std::uint16_t> indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7, 8, 9, 10, 8, 10, 11};
    EXPECT_EQ(render->GetIndices(), indices);
    ASSERT_EQ(render->GetWorldVertices().size(), 12u);
    EXPECT_FLOAT_EQ(render->GetWorldVertices()[8].position.y, 70.5f);
}

TEST_F(TextLayoutTest, EdgeCases)
{
    // A byte above 127 takes its own glyph.
    manager.LayoutText(CPObjectPtr(&text), 0.0f, 0.0f, "big", std::string(1, static_cast<char>(200)));
    ASSERT_EQ(render->GetVertices().size(), 4u);
    EXPECT_FLOAT_EQ(render->GetVertices()[0].uv1.x, 0.75f);
    EXPECT_FLOAT_EQ(render->GetVertices()[1].position.x, 5.0f);

    // An empty text leaves nothing.
    manager.LayoutText(CPObjectPtr(&text), 0.0f, 0.0f, "big", "");
    EXPECT_TRUE(render->GetVertices().empty());
    EXPECT_TRUE(render->GetIndices().empty());
    EXPECT_TRUE(render->GetWorldVertices().empty());

    // A font nobody made: zero quads at the pen, no material, and the name
    // is kept as an empty font.
    const std::size_t fonts = manager.GetFontCount();
    manager.LayoutText(CPObjectPtr(&text), 3.0f, 4.0f, "missing", "AB");
    EXPECT_EQ(manager.GetFontCount(), fonts + 1);
    EXPECT_FALSE(MaterialOf(*render));
    ASSERT_EQ(render->GetVertices().size(), 8u);
    EXPECT_FLOAT_EQ(render->GetVertices()[4].position.x, 1.0f); // 3 + 0 - 2
    EXPECT_FLOAT_EQ(render->GetVertices()[6].uv1.y, 0.0f);
}

TEST_F(TextLayoutTest, ObjectsWithoutAMeshRenderObjectAreLeftAlone)
{
    manager.LayoutText(CPObjectPtr(&text), 0.0f, 0.0f, "big", "A");
    CPGameObject sprite("sprite");
    CPGameObject bare("bare");
    sprite.SetRenderObject(CPObjectPtr(new CPRenderObject(&sprite)), CPGameObject::kSprite);
    EXPECT_FALSE(manager.LayoutText(CPObjectPtr(&sprite), 0.0f, 0.0f, "big", "AB"));
    EXPECT_TRUE(sprite.GetRenderObject().As<CPRenderObject>()->GetVertices().empty());
    bare.SetRenderObject(CPObjectPtr(), CPGameObject::kMeshObject);
    EXPECT_FALSE(manager.LayoutText(CPObjectPtr(&bare), 0.0f, 0.0f, "big", "AB"));
    EXPECT_FALSE(manager.LayoutText(CPObjectPtr(), 0.0f, 0.0f, "big", "AB"));
}

TEST_F(TextLayoutTest, TextsBeyondSixteenBitIndicesAreCutWithAReport)
{
    LogCapture log;
    manager.LayoutText(CPObjectPtr(&text), 0.0f, 0.0f, "big",
                       std::string(CPInterfaceManager::kMaxGlyphs + 5, 'A'));
    EXPECT_EQ(render->GetVertices().size(), CPInterfaceManager::kMaxGlyphs * 4);
    EXPECT_EQ(render->GetIndices().back(), 65535);
    EXPECT_TRUE(log.Contains("is cut after 16384 glyphs")) << log.Text();
}

} // namespace
