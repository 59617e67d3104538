#include <cmath>

#include <gtest/gtest.h>

#include "DynamicSky/SkyPart.h"
#include "SkyTestWorld.h"
#include "platform/Effect.h"
#include "platform/Math.h"
#include "support/MathExpect.h"

using skytest::SkyWorld;

namespace {

constexpr float kPi = 3.14159265f;

// A part on the circle about +z at `distance`, with a quad of half size 2
// drawn at size 1.5, its texture frames and effects on disk.
struct PartWorld {
    PartWorld()
    {
        world.WriteTexture("a.tga");
        world.WriteTexture("b.tga");
        world.WriteEffect("first.fx", skytest::kOnePassEffect);
        world.WriteEffect("second.fx", skytest::kTwoPassEffect);
        part.SetEffectNames("data\\effects\\first.fx", "data\\effects\\second.fx");
        part.SetDirection({0.0f, 0.0f, 1.0f});
        part.SetDistance(50.0f);
        part.SetSize(1.5f);
    }
    SkyWorld world;
    CPSkyPart part;
};

Vector3 TurnedZ(const Matrix4& m) { return TransformNormal({0.0f, 0.0f, 1.0f}, m); }

} // namespace

TEST(SkyPart, OrientationTurnsZOntoTheDirection)
{
    const Vector3 directions[] = {
        {0.0f, 0.0f, 1.0f}, {3.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 1.0f}, {0.0f, 0.0f, -2.0f}};
    for (const Vector3& direction : directions) {
        CPSkyPart part;
        part.SetDirection(direction);
        EXPECT_TRUE(Near(part.GetDirection(), Normalize(direction)));
        EXPECT_TRUE(Near(TurnedZ(part.GetOrientation()), Normalize(direction)))
            << direction.x << " " << direction.y << " " << direction.z;
    }
    CPSkyPart up;
    up.SetDirection({0.0f, 0.0f, 1.0f});
    EXPECT_TRUE(IsIdentity(up.GetOrientation()));
}

TEST(SkyPart, BuildQuadFillsTheQuadAndLoadsFrameAndSecondEffect)
{
    PartWorld w;
    w.part.AddFrame("data\\textures\\a.tga");
    w.part.BuildQuad(2.0f);
    const std::vector<CPMeshVertex>& quad = w.part.GetSourceList();
    ASSERT_EQ(quad.size(), 4u);
    const Vector3 corners[4] = {{-2, 0, -2}, {2, 0, -2}, {2, 0, 2}, {-2, 0, 2}};
    const Vector2 uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Near(quad[i].position, corners[i]));
        EXPECT_TRUE(Near(quad[i].uv1, uvs[i]));
        EXPECT_TRUE(Near(quad[i].normal, {1.0f, 1.0f, 1.0f}));
        EXPECT_EQ(quad[i].diffuse, 0xFF000014u);
    }
    EXPECT_EQ(w.part.GetIndices(), (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_NE(w.part.GetTexture(), nullptr);
    ASSERT_NE(w.part.GetEffectA(), nullptr);
    EXPECT_NE(w.part.GetEffectA()->TechniqueByName("Two"), nullptr) << "the second effect name";
}

TEST(SkyPart, FramesStepRoundAndAPartWithoutFramesLoadsNone)
{
    PartWorld w;
    w.part.BuildQuad(2.0f);
    w.part.NextFrame();
    EXPECT_EQ(w.part.GetTexture(), nullptr);
    EXPECT_EQ(w.part.GetFrameIndex(), 0);

    CPSkyPart one;
    one.AddFrame("data\\textures\\a.tga");
    one.BuildQuad(1.0f);
    one.NextFrame();
    EXPECT_EQ(one.GetFrameIndex(), 0);

    CPSkyPart two;
    two.AddFrame("data\\textures\\a.tga");
    two.AddFrame("data\\textures\\b.tga");
    two.BuildQuad(1.0f);
    const int expected[] = {1, 0, 1};
    for (int index : expected) {
        two.NextFrame();
        EXPECT_EQ(two.GetFrameIndex(), index);
    }
    // Two buffers for each of the three parts, one texture for each of the
    // two with frames: the textures stepped away from are released.
    EXPECT_EQ(w.world.Resources(), 8u);
}

TEST(SkyPart, EffectChoiceAndAlpha)
{
    PartWorld w;
    w.part.BuildQuad(2.0f);
    w.part.SelectEffect(0);
    EXPECT_NE(w.part.GetEffectA()->TechniqueByName("One"), nullptr);
    w.part.SelectEffect(1);
    EXPECT_NE(w.part.GetEffectA()->TechniqueByName("Two"), nullptr);

    struct Case {
        int alpha;
        std::uint32_t diffuse;
    };
    const Case cases[] = {
        {55, 0x37000014u}, {0, 0x00000014u}, {255, 0xFF000014u}, {300, 0xFF000014u}, {-4, 0x14u}};
    for (const Case& c : cases) {
        w.part.SetAlpha(c.alpha);
        for (const CPMeshVertex& vertex : w.part.GetDrawingList())
            EXPECT_EQ(vertex.diffuse, c.diffuse) << c.alpha;
    }
    EXPECT_EQ(w.part.GetSourceList()[0].diffuse, 0xFF000014u) << "the source quad keeps its colour";
}

TEST(SkyPart, DrawPlacesTheQuadOnItsCircleFacingTheOrigin)
{
    PartWorld w;
    w.part.BuildQuad(2.0f);
    // Angle base - current + pi = pi about +z: (50, 0, 0) goes to (-50, 0, 0).
    ASSERT_EQ(w.part.Draw(0.0f), S_OK);
    EXPECT_EQ(w.world.device.GetFrameDraws().size(), 2u) << "the two passes of the second effect";
    const Vector3 p = w.part.GetPosition();
    EXPECT_TRUE(Near(p, {-50.0f, 0.0f, 0.0f}, 1e-4f));

    const std::vector<CPMeshVertex>& drawn = w.part.GetDrawingList();
    ASSERT_EQ(drawn.size(), 4u);
    // The quad lies across the line to the origin, its corners size x q x
    // sqrt 2 from the part.
    for (const CPMeshVertex& vertex : drawn) {
        EXPECT_NEAR(vertex.position.x, -50.0f, 1e-4f);
        EXPECT_NEAR(Length(vertex.position - p), 1.5f * 2.0f * std::sqrt(2.0f), 1e-4f);
    }
    // Its +z edge points along w: (50, 0, 0) turned a quarter about
    // h = (0, 0, -1) gives (0, -1, 0).
    EXPECT_TRUE(Near(Normalize(drawn[3].position - drawn[0].position), {0.0f, -1.0f, 0.0f}, 1e-5f));
    EXPECT_TRUE(Near(w.part.GetSourceList()[0].position, {-2.0f, 0.0f, -2.0f})) << "the source quad stays";

    // Current angle -pi / 2: the angle about +z is 3 pi / 2, (0, -50, 0).
    w.part.SetCurrentAngle(-kPi / 2.0f);
    w.part.Draw(0.0f);
    EXPECT_TRUE(Near(w.part.GetPosition(), {0.0f, -50.0f, 0.0f}, 1e-4f));
}

TEST(SkyPart, APartStraightAboveTheOriginStillFacesIt)
{
    PartWorld w;
    // Base angle -pi / 2: the angle about +z is pi / 2, (0, 50, 0). A part
    // on the y axis has no vertical plane to take its roll from.
    w.part.SetDirection({0.0f, 0.0f, 1.0f});
    w.part.SetBaseAngle(-kPi / 2.0f);
    w.part.BuildQuad(2.0f);
    w.part.Draw(0.0f);
    EXPECT_TRUE(Near(w.part.GetPosition(), {0.0f, 50.0f, 0.0f}, 1e-4f));
    for (const CPMeshVertex& vertex : w.part.GetDrawingList()) {
        EXPECT_TRUE(IsFinite(vertex.position));
        EXPECT_NEAR(vertex.position.y, 50.0f, 1e-4f);
    }
}
