#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/EffectLibrary.h"
#include "Render/IVBlock.h"
#include "Render/MaterialLibrary.h"
#include "Render/PEffect.h"
#include "Render/PTexture.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/TextureBlock.h"
#include "Render/TextureLibrary.h"
#include "RenderTestFiles.h"
#include "SceneObjects.h"
#include "core/GameSettings.h"
#include "platform/Effect.h"
#include "platform/Math.h"
#include "support/MathExpect.h"
#include "core/ServiceOverride.h"

using namespace platform;
using renderfiles::RenderWorld;
using renderfiles::Tga;

namespace {

const char* const kLitEffect = R"(
shared float4x4 g_mViewProjection;
shared float4x4 g_mWorldViewProjection;
shared float4 g_vAmbient;
shared float4 g_vCameraPos;
float time;
texture tex0;
technique Lit { pass First { } pass Second { } }
)";

// A renderer with its libraries, a render list with a small ring (slots of
// 16 vertices and 24 indices) and a scene, for one test.
class BatchDraw : public ::testing::Test {
  protected:
    BatchDraw()
    {
        GetGameSettings().screenWidth = 640;
        GetGameSettings().screenHeight = 480;
        world.WriteEffect("lit.fx", kLitEffect);
        world.WriteTexture("rock.tga", Tga(2, 2, 0xFF808080));
        world.render.InitDeviceState();
        world.render.SetSceneObject(&list);
    }
    ~BatchDraw() override { world.render.SetSceneObject(CPObjectPtr()); }

    // Vertex counts of the frame's indexed draws, in order.
    std::vector<std::uint32_t> DrawnVertexCounts() const
    {
        std::vector<std::uint32_t> counts;
        for (const DrawRecord& draw : world.device.GetLastFrameDraws())
            if (draw.kind == DrawRecord::Kind::IndexedPrimitive)
                counts.push_back(draw.vertexCount);
        return counts;
    }

    RenderWorld world;
    CPEffectLibrary effects;
    CPTextureLibrary textures;
    CPMaterialLibrary materials{effects, textures};
    ServiceOverride<GetEffectLibrary, SetEffectLibrary> m_effects{&effects};
    ServiceOverride<GetTextureLibrary, SetTextureLibrary> m_textures{&textures};
    SceneObjects scene;
    CPRenderList list{&world.render, 2, 16, 24};
};

} // namespace

TEST_F(BatchDraw, AFrameWritesABatchIntoTheRingAndDrawsItWithItsMaterial)
{
    CPMaterial* rock = materials.GetMaterial("lit.fx,shared", {"rock.tga"}, 19);
    CPPerspectiveCamera* camera = world.render.SetDefaultCamera();
    world.render.SetAmbient(0xFF336699, 0.2f, 0.4f, 0.6f);
    list.AddObject(scene.Mesh("small", rock, 3, {0, 1, 2}, nullptr, 10.0f));
    list.AddObject(scene.Mesh("square", rock, 4, {0, 1, 2, 0, 2, 3}, nullptr, 20.0f));

    ASSERT_TRUE(world.render.RenderFrame(0.25f));

    // One draw per pass of the effect's technique, over both meshes.
    const auto& draws = world.device.GetLastFrameDraws();
    ASSERT_EQ(draws.size(), 2u);
    for (const DrawRecord& draw : draws) {
        EXPECT_EQ(draw.kind, DrawRecord::Kind::IndexedPrimitive);
        EXPECT_EQ(draw.type, PrimitiveType::TriangleList);
        EXPECT_EQ(draw.vertexCount, 7u);
        EXPECT_EQ(draw.primitiveCount, 3u);
        EXPECT_EQ(draw.startIndex, 0u);
        EXPECT_EQ(draw.stride, 48u);
        EXPECT_EQ(draw.vertexFormat, 0x2D2u);
    }
    const CPIVertexBuffer& ring = list.GetDynamicBuffer();
    EXPECT_EQ(draws[0].vertexBuffer, ring.GetVertexBuffer(0));
    std::uint16_t indices[9];
    std::memcpy(indices, AsMemory(ring.GetIndexBuffer(0))->GetBytes(), sizeof indices);
    EXPECT_EQ(std::vector<std::uint16_t>(indices, indices + 9),
              (std::vector<std::uint16_t>{0, 1, 2, 3, 4, 5, 3, 5, 6}));
    CPMeshVertex fourth;
    std::memcpy(&fourth, AsMemory(ring.GetVertexBuffer(0))->GetBytes() + 3 * 48, 48);
    EXPECT_EQ(fourth.position.x, 20.0f);

    // The effect saw the pass's camera, the ambient colour, the time and
    // the material's texture.
    Effect* fx = rock->GetEffect()->GetEffect();
    EXPECT_EQ(fx->DrawnPasses().size(), 2u);
    const Matrix4& viewProjection = camera->GetViewProjection();
    const auto values = [&](const char* name) { return fx->ParameterByName(name)->values; };
    EXPECT_EQ(values("g_mViewProjection"),
              std::vector<float>(&viewProjection.m[0][0], &viewProjection.m[0][0] + 16));
    EXPECT_EQ(values("g_mWorldViewProjection"), values("g_mViewProjection")); // pass 19 has no fixed matrix
    EXPECT_EQ(values("g_vAmbient"), (std::vector<float>{0.2f, 0.4f, 0.6f, 1.0f}));
    EXPECT_EQ(values("g_vCameraPos"), (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(values("time"), std::vector<float>{0.25f});
    EXPECT_EQ(fx->ParameterByName("tex0")->texture, rock->GetTextureBlock()->GetTexture(0)->GetTexture());

    // The frame is over: the next one starts empty and draws nothing.
    EXPECT_TRUE(list.GetFrameBatches().empty());
    ASSERT_TRUE(world.render.RenderFrame(0.25f));
    EXPECT_TRUE(world.device.GetLastFrameDraws().empty());
}

TEST_F(BatchDraw, EachBatchIsDrawnInTheLastPassNotAboveItsMaterialOption)
{
    // Passes 5 (a matrix and no camera before it), 16 (a camera and a fixed
    // matrix), 17 (a matrix only), 19 and the screen pass 195.
    CPPerspectiveCamera* main = world.render.SetDefaultCamera();
    world.render.SetCamera(16, main);
    world.render.SetPassMatrix(ScalingMatrix(1.0f, 1.0f, 0.0f), 16);
    world.render.SetPassMatrix(IdentityMatrix(), 17);
    world.render.SetPassMatrix(IdentityMatrix(), 5);
    // Added in this order; each has its own vertex count.
    const int options[] = {205, 20, 16, 0, 19, 17, 120};
    int vertices = 3;
    for (int option : options) {
        CPMaterial* material = scene.Material(option);
        std::vector<std::uint16_t> fan;
        for (int k = 1; k + 1 < vertices; ++k)
            fan.insert(fan.end(), {0, static_cast<std::uint16_t>(k), static_cast<std::uint16_t>(k + 1)});
        list.AddObject(scene.Mesh("option " + std::to_string(option), material, vertices, fan));
        ++vertices;
    }
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_TRUE(world.log.Text().empty());
    // Pass 16, the first one with a camera, flattens: option 16 only; pass
    // 17, the first plain one: 0 (below every pass) and 17; pass 19: 20, 19
    // and 120; pass 195: 205.
    EXPECT_EQ(DrawnVertexCounts(), (std::vector<std::uint32_t>{5, 6, 8, 4, 7, 9, 3}));
}

TEST_F(BatchDraw, ABatchLargerThanASlotIsDrawnInRanges)
{
    CPMaterial* plain = scene.Material(19);
    world.render.SetDefaultCamera();
    for (int i = 0; i < 3; ++i)
        list.AddObject(scene.Mesh("mesh" + std::to_string(i), plain, 6, {0, 1, 2}));
    list.AddObject(scene.Mesh("huge", plain, 17, {0, 1, 2}));
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    // Two meshes fill the first slot of 16 vertices, the third one the
    // next; the one of 17 vertices fits no slot and is left out with a
    // report.
    EXPECT_EQ(DrawnVertexCounts(), (std::vector<std::uint32_t>{12, 6}));
    EXPECT_EQ(world.device.GetLastFrameDraws()[1].primitiveCount, 1u);
    EXPECT_EQ(world.device.GetLastFrameDraws()[1].vertexBuffer, list.GetDynamicBuffer().GetVertexBuffer(1));
    EXPECT_TRUE(world.log.Contains("of 17 vertices and 3 indices is larger than a buffer slot"));
}

TEST_F(BatchDraw, ALostDeviceDropsTheFrameAndTheRingComesBackWithTheReset)
{
    CPMaterial* plain = scene.Material(19);
    world.render.SetDefaultCamera();
    CPGameObject* mesh = scene.Mesh("mesh", plain);
    list.AddObject(mesh);
    world.device.LoseDevice();
    EXPECT_FALSE(world.render.RenderFrame(0.0f));
    EXPECT_TRUE(list.GetFrameBatches().empty());

    world.device.AllowReset();
    list.AddObject(mesh);
    ASSERT_TRUE(world.render.RenderFrame(0.0f));
    EXPECT_EQ(world.device.GetResetCount(), 1u);
    EXPECT_EQ(DrawnVertexCounts(), std::vector<std::uint32_t>{3});
}
