#include <string>

#include <gtest/gtest.h>

#include "InterfaceTestWorld.h"
#include "Render/Material.h"
#include "interface/LensFlareInterface.h"
#include "interface/Window.h"
#include "platform/Clock.h"
#include "core/ServiceOverride.h"

namespace {

class LensFlareTest : public ::testing::Test {
  protected:
    void WriteFlare(const std::string& text) { world.folder.Write("Data/Interface/lensflare2.int", text); }

    std::uint32_t now = 1000;
    InterfaceWorld world;
    ServiceOverride<platform::GetClockSource, platform::SetClockSource> m_clock{[this] { return now; }};
};

TEST_F(LensFlareTest, PicturesSitOnTheLineThroughTheScreenCentre)
{
    // factor 100, 40 x 40 from (10, 20) in the texture; factor 0 scaled
    // by 0.5; factor 50 with a colour given unsigned.
    WriteFlare("flare.tga\t100\t1\t1\t-1\t40\t40\t10\t20\n"
               "flare.tga\t0\t0.5\t0.5\t16711680\t40\t40\t0\t0\n"
               "flare.tga\t50\t1\t1\t4278190335\t10\t10\t0\t0\n");
    CPLensFlareInterface flare;
    ASSERT_TRUE(flare.Load("lensflare2", 198)) << world.log.Text();
    auto* material = MaterialOf(*flare.GetScreenRenderObject()).As<CPMaterial>();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetTypeName(), "CPMaterial - lensflare.fx");
    EXPECT_EQ(material->GetOption(), 398);

    // At 1024 x 768 every texture pixel is 2.4 screen pixels.
    const std::vector<CPFlareElement>& elements = flare.GetFlareElements();
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].width, 96);
    EXPECT_EQ(elements[0].height, 96);
    EXPECT_EQ(elements[0].textureX, 24);
    EXPECT_EQ(elements[0].textureY, 48);
    EXPECT_EQ(elements[0].halfWidth, 48);
    EXPECT_EQ(elements[0].colour, 0xFFFFFFFFu);
    EXPECT_EQ(elements[1].halfWidth, 24); // 96 x 0.5 = 48
    EXPECT_EQ(elements[2].width, 24);
    EXPECT_EQ(elements[2].colour, 0xFF0000FFu);
    ASSERT_EQ(flare.GetDrawList().size(), 3u);
    EXPECT_EQ(flare.FindWindow("1"), flare.GetDrawList()[1]);
    // Texture pixels over 512: 24 / (1024 x 1.2) and 48 / (768 x 1.6).
    const CPWindow& first = *flare.GetDrawList()[0];
    EXPECT_FLOAT_EQ(first.GetVertices()[0].uv1.x, 24.0f / 1228.8f);
    EXPECT_FLOAT_EQ(first.GetVertices()[0].uv1.y, 48.0f / 1228.8f);
    EXPECT_FLOAT_EQ(first.GetVertices()[2].position.x, 96.0f);

    flare.SetSunVisible(true);
    flare.SetSunPosition(212, 184);
    now += 10;
    flare.Submit();
    // cx = 300, cy = 200; factor 50 centres on the screen centre.
    EXPECT_EQ(QuadCorners(*flare.GetScreenRenderObject()),
              (std::vector<std::pair<float, float>>{{764.0f, 536.0f}, {188.0f, 160.0f}, {500.0f, 372.0f}}));
    // Half a unit of alpha after 10 ms truncates to 0.
    EXPECT_EQ(flare.GetDrawList()[0]->GetColour(), 0x00FFFFFFu);
    EXPECT_EQ(flare.GetScreenRenderObject()->GetVertices()[4].diffuse, 0x00FF0000u);

    // Sun right of and below the centre: offsets truncate towards zero.
    flare.SetSunPosition(1000, 700);
    flare.Submit();
    // cx = -488: (50 x -488) / 50 - 12 + 1000 = 500; cy = -316: 384 - 12 = 372.
    EXPECT_FLOAT_EQ(flare.GetDrawList()[2]->GetX(), 500.0f);
    EXPECT_FLOAT_EQ(flare.GetDrawList()[2]->GetY(), 372.0f);
    flare.SetSunPosition(513, 385);
    flare.Submit();
    // cx = -1: (50 x -1) / 50 = -1, (100 x -1) / 50 = -2.
    EXPECT_FLOAT_EQ(flare.GetDrawList()[2]->GetX(), 513.0f - 1 - 12);
    EXPECT_FLOAT_EQ(flare.GetDrawList()[0]->GetX(), 513.0f - 2 - 48);
}

TEST_F(LensFlareTest, FadeFollowsTheTimeBetweenFrames)
{
    WriteFlare("flare.tga\t0\t1\t1\t16777215\t10\t10\t0\t0\n");
    CPLensFlareInterface flare;
    ASSERT_TRUE(flare.Load("lensflare2", 198));
    struct Step {
        bool visible;
        std::uint32_t elapsed;
        float alpha;
    };
    const Step steps[] = {
        {true, 100, 5.0f},    {true, 1000, 55.0f},   {true, 0, 55.0f},  {true, 10000, 255.0f},
        {false, 400, 235.0f}, {false, 100000, 0.0f}, {false, 10, 0.0f}, {true, 40, 2.0f},
    };
    for (const Step& s : steps) {
        flare.SetSunVisible(s.visible);
        now += s.elapsed;
        flare.Submit();
        EXPECT_FLOAT_EQ(flare.GetAlpha(), s.alpha) << s.elapsed;
        EXPECT_EQ(flare.GetDrawList()[0]->GetColour() >> 24, static_cast<std::uint32_t>(s.alpha));
        EXPECT_EQ(flare.GetDrawList()[0]->GetColour() & 0xFFFFFFu, 0xFFFFFFu);
    }
}

TEST_F(LensFlareTest, FlareWithoutPicturesDrawsNothing)
{
    struct Case {
        const char* what;
        const char* text; // null: no file
        const char* logged;
    };
    const Case cases[] = {
        {"no file", nullptr, "cannot read Data\\Interface\\lensflare2.int"},
        {"only comments", "// nothing here\n\n", "holds no picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        if (c.text)
            WriteFlare(c.text);
        CPLensFlareInterface flare;
        EXPECT_FALSE(flare.Load("lensflare2", 198));
        EXPECT_TRUE(log.Contains(c.logged)) << log.Text();
        EXPECT_FALSE(MaterialOf(*flare.GetScreenRenderObject()));
        flare.SetSunVisible(true);
        now += 100;
        flare.Submit();
        EXPECT_TRUE(flare.GetScreenRenderObject()->GetVertices().empty());
    }
}

TEST_F(LensFlareTest, ShortOrOddLinesStayFinite)
{
    // A scale of 0 gives a texture of no size; a short line reads zeros.
    WriteFlare("flare.tga\t100\t0\t0\t-1\t40\t40\t10\t20\nflare.tga\t50\n");
    CPLensFlareInterface flare;
    ASSERT_TRUE(flare.Load("lensflare2", 0));
    ASSERT_EQ(flare.GetDrawList().size(), 2u);
    for (const CPWindow* window : flare.GetDrawList()) {
        for (const CPMeshVertex& corner : window->GetVertices()) {
            EXPECT_EQ(corner.uv1.x, 0.0f);
            EXPECT_EQ(corner.uv1.y, 0.0f);
            EXPECT_EQ(corner.position.x, 0.0f);
        }
    }
}

} // namespace
