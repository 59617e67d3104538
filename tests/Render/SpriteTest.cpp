#include "Render/Sprite.h"

#include <array>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "Render/CurrentCamera.h"
#include "Render/FadeEffect.h"
#include "Render/Light.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "platform/Math.h"
#include "support/MathExpect.h"
#include "core/ServiceOverride.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;

// A sprite owned by an object at (1, 2, 3), seen through a current camera
// that each test places.
class SpriteTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_savedFrameTime = GetFrameTime();
        owner.SetPosition({1, 2, 3});
        owner.UpdateBounds();
        sprite.SetOwner(&owner);
        PlaceCamera({1, -10, 3}, {1, 2, 3});
    }
    void TearDown() override { SetFrameTime(m_savedFrameTime); }

    void PlaceCamera(const Vector3& eye, const Vector3& target)
    {
        camera.Eye() = eye;
        camera.Target() = target;
        camera.Up() = {0, 0, 1};
        camera.FieldOfView() = 1.0f;
        camera.NearPlane() = 1.0f;
        camera.FarPlane() = 100.0f;
        camera.SetViewChanged();
        camera.SetProjectionChanged();
        camera.Update();
    }

    CPPerspectiveCamera camera;
    ServiceOverride<GetCameraSource, SetCameraSource> m_cameraSource{[this] { return &camera; }};
    CPGameObject owner{"lamp"};
    CPSprite sprite{0.5f};

  private:
    float m_savedFrameTime = 0.0f;
};

TEST_F(SpriteTest, ConstructorLeavesOwnerAndDirectionEmpty)
{
    CPSprite fresh(2.0f);
    EXPECT_EQ(fresh.GetOwner(), nullptr);
    EXPECT_TRUE(Near(fresh.GetDirection(), {0, 0, 0}));
    EXPECT_EQ(fresh.GetColour(), 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(fresh.GetConeLimit(), 0.0f);
    CPObjectPtr material;
    fresh.GetMaterial(material);
    EXPECT_FALSE(material);

    // Without an owner it has nothing to stand on: no counts, no writes.
    EXPECT_EQ(fresh.GetVertexCount(), 0);
    EXPECT_EQ(fresh.GetIndexCount(), 0);
    std::array<std::uint16_t, 6> indices;
    indices.fill(0xBEEF);
    std::array<CPMeshVertex, 4> vertices{};
    fresh.WriteVertices(vertices.data(), indices.data(), 0, 1);
    EXPECT_EQ(indices[0], 0xBEEF);
}

TEST_F(SpriteTest, ColourOverTheCone)
{
    // The sprite's direction is +x in the root's frame; the camera stands
    // 5 units away from it in the plane, or high above it.
    const struct {
        const char* what;
        float limit;
        Vector3 eye;
        bool visible;
        std::uint32_t colour;
    } cases[] = {
        {"hidden band", -0.05f, {6, 2, 3}, false, 0},
        {"fixed grey", -0.5f, {1, -10, 3}, true, 0x7F7F7F7F},       // trunc(0.5 x 255) = 127
        {"grey at the band", -0.1f, {1, -10, 3}, true, 0x19191919}, // trunc(25.5)
        {"grey wraps", -2.0f, {1, -10, 3}, true, 0xFEFEFEFE},       // 510, low 8 bits
        {"on the axis", 0.5f, {6, 2, 3}, true, 0xFFFFFFFF},
        {"on the axis, eye high", 0.5f, {6, 2, 500}, true, 0xFFFFFFFF}, // height ignored
        {"half way", 1.5707964f, {6, 7, 3}, true, 0xA5A5A5A5},          // 45 of 90 degrees: 0.65 x 255
        {"edge", 1.5707964f, {1, 7, 3}, true, 0x4C4C4C4C},              // 0.3 x 255 = 76.5
        {"beyond", 1.5f, {1, 7, 3}, false, 0},
        {"behind", 3.0f, {-4, 2, 3}, false, 0},
        // Straight above: no direction to the camera, counted as a right angle.
        {"above, wide cone", 2.0f, {1, 2, 40}, true, 0x72727272}, // (1 - 0.785 x 0.7) x 255
        {"above, narrow cone", 1.0f, {1, 2, 40}, false, 0},
    };
    sprite.SetDirection({1, 0, 0});
    for (const auto& c : cases) {
        PlaceCamera(c.eye, {1, 2, 3});
        sprite.SetColour(0x12345678);
        sprite.SetConeLimit(c.limit);
        const int vertexCount = sprite.GetVertexCount();
        EXPECT_EQ(vertexCount, c.visible ? 4 : 0) << c.what;
        EXPECT_EQ(sprite.GetIndexCount(), c.visible ? 6 : 0) << c.what;
        EXPECT_EQ(sprite.IsVisible(), c.visible) << c.what;
        if (c.visible) {
            EXPECT_EQ(sprite.GetColour(), c.colour) << c.what;
        }
    }

    // A limit of 0 always shows and keeps the last colour.
    sprite.SetConeLimit(0.0f);
    sprite.SetColour(0x80402010);
    EXPECT_EQ(sprite.GetVertexCount(), 4);
    EXPECT_EQ(sprite.GetColour(), 0x80402010u);
}

TEST_F(SpriteTest, ConeTurnsWithTheRootObjectOnly)
{
    // The root turns +x to +y; the lamp's own turn does not count.
    CPGameObject root("pole");
    root.SetPosition({1, 2, 3});
    root.SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kHalfPi));
    CPGameObject lamp("lamp");
    lamp.SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kHalfPi));
    root.AddChild(&lamp);
    root.UpdateBounds();

    CPSprite turned(0.5f);
    turned.SetOwner(&lamp);
    turned.SetDirection({1, 0, 0});
    turned.SetConeLimit(0.5f);
    PlaceCamera({1, 7, 3}, {1, 2, 3});
    EXPECT_EQ(turned.GetVertexCount(), 4);
    EXPECT_EQ(turned.GetColour(), 0xFFFFFFFFu);
    PlaceCamera({6, 2, 3}, {1, 2, 3});
    EXPECT_EQ(turned.GetVertexCount(), 0);
}

TEST_F(SpriteTest, QuadCornersFaceTheCameraAndIndicesFollowTheBase)
{
    // The camera looks along +y, so the quad's x runs along -x and its y up z.
    sprite.SetColour(0x80402010);
    sprite.SetTextureRect(0.25f, 0.5f, 0.75f, 1.0f);
    std::array<CPMeshVertex, 4> v{};
    std::array<std::uint16_t, 6> indices{};
    sprite.WriteVertices(v.data(), indices.data(), 10, 1);

    EXPECT_EQ(indices, (std::array<std::uint16_t, 6>{10, 12, 11, 10, 13, 12}));
    const struct {
        Vector3 position;
        Vector2 uv;
    } expected[] = {
        {{1.5f, 2, 2.5f}, {0.25f, 0.5f}},
        {{0.5f, 2, 2.5f}, {0.75f, 0.5f}},
        {{0.5f, 2, 3.5f}, {0.75f, 1.0f}},
        {{1.5f, 2, 3.5f}, {0.25f, 1.0f}},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Near(v[i].position, expected[i].position)) << i;
        EXPECT_TRUE(Near(v[i].uv1, expected[i].uv)) << i;
        EXPECT_EQ(v[i].diffuse, 0x80402010u);
    }

    // A quarter turn about the viewing axis moves each corner on by one.
    sprite.SetAngle(kHalfPi);
    sprite.WriteVertices(v.data(), indices.data(), 65534, 1);
    EXPECT_TRUE(Near(v[0].position, {0.5f, 2, 2.5f}));
    EXPECT_TRUE(Near(v[1].position, {0.5f, 2, 3.5f}));
    EXPECT_TRUE(Near(v[2].position, {1.5f, 2, 3.5f}));
    EXPECT_TRUE(Near(v[3].position, {1.5f, 2, 2.5f}));
    EXPECT_EQ(indices, (std::array<std::uint16_t, 6>{65534, 0, 65535, 65534, 1, 0}));
}

TEST_F(SpriteTest, EffectsRunOnTheQuad)
{
    SetFrameTime(0.5f);
    sprite.GetEffects().Add(std::make_unique<CPFadeEffect>(100.0f));
    std::array<CPMeshVertex, 4> v{};
    std::array<std::uint16_t, 6> indices{};
    sprite.WriteVertices(v.data(), indices.data(), 0, 1);
    EXPECT_EQ(v[3].diffuse, 0xFFFFFFFFu); // the flag is clear

    sprite.SetHasEffects(true);
    sprite.WriteVertices(v.data(), indices.data(), 0, 1);
    for (const CPMeshVertex& vertex : v)
        EXPECT_EQ(vertex.diffuse, 0xCDFFFFFFu); // 255 - 50
    EXPECT_EQ(sprite.GetColour(), 0xFFFFFFFFu);
}

TEST_F(SpriteTest, NoCurrentCameraHidesTheSprite)
{
    ServiceOverride<GetCameraSource, SetCameraSource> noCamera(nullptr);
    EXPECT_EQ(sprite.GetVertexCount(), 0);
    EXPECT_EQ(sprite.GetIndexCount(), 0);
}

TEST(Light, FollowsTheOwnersPositionButNotItsTurn)
{
    CPLight light;
    EXPECT_EQ(static_cast<std::uint32_t>(light.GetLight().type), 0u);
    EXPECT_EQ(light.GetOwner(), nullptr);
    EXPECT_EQ(light.UpdateLight(), &light.GetLight()); // no owner: unchanged
    EXPECT_TRUE(Near(light.GetLight().position, {0, 0, 0}));

    CPGameObject parent("car");
    CPGameObject owner("headlight");
    parent.AddChild(&owner);
    owner.SetPosition({2, 0, 1});
    parent.SetPosition({10, 20, 0});
    parent.UpdateBounds();

    light.SetOwner(&owner);
    light.GetLight().type = platform::LightType::Spot;
    light.GetLight().direction = {1, 0, 0};
    light.GetLight().range = 25.0f;
    EXPECT_TRUE(Near(light.UpdateLight()->position, {12, 20, 1}));

    // The car turns a quarter and moves on: the light follows its place.
    parent.SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kHalfPi));
    parent.SetPosition({0, 0, 0});
    parent.UpdateBounds();
    const platform::Light* record = light.UpdateLight();
    EXPECT_TRUE(Near(record->position, {0, 2, 1}));
    EXPECT_TRUE(Near(record->direction, {1, 0, 0}));
    EXPECT_FLOAT_EQ(record->range, 25.0f);
    EXPECT_EQ(record->type, platform::LightType::Spot);
}

} // namespace
