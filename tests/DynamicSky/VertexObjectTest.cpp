#include <cstring>

#include <gtest/gtest.h>

#include "DynamicSky/VertexObject.h"
#include "Render/DeviceListener.h"
#include "SkyTestWorld.h"
#include "platform/Effect.h"
#include "platform/MatrixMath.h"
#include "platform/TextureLoader.h"
#include "support/MathExpect.h"
#include "core/ServiceOverride.h"

using skytest::SkyWorld;

namespace {

std::vector<CPMeshVertex> Triangle(float offset = 0.0f)
{
    std::vector<CPMeshVertex> vertices(3);
    for (int i = 0; i < 3; ++i) {
        vertices[i].position = {offset + static_cast<float>(i), 2.0f * static_cast<float>(i), 1.0f};
        vertices[i].diffuse = 0xFF000000u | static_cast<std::uint32_t>(i);
    }
    return vertices;
}

const std::vector<std::uint16_t> kTriangleIndices = {0, 1, 2};

// The triangle and a fourth vertex at (7, 7, 7): a fill larger than the first.
std::vector<CPMeshVertex> FourVertices()
{
    std::vector<CPMeshVertex> vertices = Triangle();
    vertices.push_back(vertices[0]);
    vertices.back().position = {7.0f, 7.0f, 7.0f};
    return vertices;
}

// What the vertex buffer holds for vertex i.
CPMeshVertex BufferVertex(const CPVertexObject& object, std::size_t i)
{
    CPMeshVertex vertex;
    std::memcpy(&vertex, AsMemory(object.GetVertexBuffer())->GetBytes() + i * sizeof(CPMeshVertex),
                sizeof vertex);
    return vertex;
}

} // namespace

TEST(VertexObject, FillMakesManagedBuffersOfItsSizeOnceAndCopiesTheLists)
{
    SkyWorld world;
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);
    const platform::VertexBuffer* vertices = object.GetVertexBuffer();
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->GetLength(), 3 * sizeof(CPMeshVertex));
    EXPECT_EQ(vertices->GetFormat(), kMeshVertexFormat);
    EXPECT_EQ(vertices->GetPool(), platform::ResourcePool::Managed);
    EXPECT_EQ(vertices->GetUsage(), platform::usage::kWriteOnly);
    EXPECT_EQ(object.GetIndexBuffer()->GetLength(), 3 * sizeof(std::uint16_t));
    EXPECT_EQ(object.GetIndexBuffer()->GetFormat(), platform::IndexFormat::Index16);

    ASSERT_EQ(object.FillBuffers(Triangle(5.0f), {2, 1, 0}, false), S_OK);
    EXPECT_EQ(object.GetVertexBuffer(), vertices) << "later fills reuse the buffers";
    EXPECT_EQ(world.Resources(), 2u);
    EXPECT_TRUE(Near(BufferVertex(object, 1).position, {6.0f, 2.0f, 1.0f}));
    const auto* indices =
        reinterpret_cast<const std::uint16_t*>(AsMemory(object.GetIndexBuffer())->GetBytes());
    EXPECT_EQ(indices[0], 2);
    EXPECT_EQ(indices[2], 0);
}

TEST(VertexObject, DrawShowsTheGivenOrTheTransformedVertices)
{
    SkyWorld world;
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);
    ASSERT_EQ(object.Draw(), S_OK);
    ASSERT_EQ(world.device.GetFrameDraws().size(), 1u);
    const platform::DrawRecord& draw = world.device.GetFrameDraws()[0];
    EXPECT_EQ(draw.kind, platform::DrawRecord::Kind::IndexedPrimitive);
    EXPECT_EQ(draw.type, platform::PrimitiveType::TriangleList);
    EXPECT_EQ(draw.vertexCount, 3u);
    EXPECT_EQ(draw.primitiveCount, 1u);
    EXPECT_EQ(draw.stride, 48u);
    EXPECT_EQ(draw.vertexFormat, kMeshVertexFormat);
    EXPECT_TRUE(Near(BufferVertex(object, 2).position, {2.0f, 4.0f, 1.0f}));

    // Transformed positions kept through the refill; other fields unchanged.
    object.TransformVertices(TranslationMatrix(10.0f, 0.0f, 0.0f));
    ASSERT_EQ(object.FillBuffers(object.GetSourceList(), kTriangleIndices, true), S_OK);
    EXPECT_TRUE(Near(BufferVertex(object, 2).position, {12.0f, 4.0f, 1.0f}));
    EXPECT_EQ(BufferVertex(object, 2).diffuse, 0xFF000002u);
    EXPECT_TRUE(Near(object.GetSourceList()[2].position, {2.0f, 4.0f, 1.0f}));
}

TEST(VertexObject, TransformGrowsAShortDrawingList)
{
    SkyWorld world;
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);
    const std::vector<CPMeshVertex> more = FourVertices();
    // Keep the old drawing list of three, take a source list of four.
    ASSERT_EQ(object.FillBuffers(more, {0, 1, 2, 1, 2, 3}, true), S_OK);
    object.TransformVertices(ScalingMatrix(2.0f, 2.0f, 2.0f));
    ASSERT_EQ(object.GetDrawingList().size(), 4u);
    EXPECT_TRUE(Near(object.GetDrawingList()[3].position, {14.0f, 14.0f, 14.0f}));
}

TEST(VertexObject, AFillThatNeedsMoreThanTheBuffersHoldMakesThemAnew)
{
    SkyWorld world;
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);
    const std::vector<CPMeshVertex> more = FourVertices();
    ASSERT_EQ(object.FillBuffers(more, {0, 1, 2, 1, 2, 3}, false), S_OK);
    ASSERT_NE(object.GetVertexBuffer(), nullptr);
    EXPECT_EQ(object.GetVertexBuffer()->GetLength(), 4 * sizeof(CPMeshVertex));
    EXPECT_EQ(object.GetIndexBuffer()->GetLength(), 6 * sizeof(std::uint16_t));
    EXPECT_TRUE(Near(BufferVertex(object, 3).position, {7.0f, 7.0f, 7.0f}));
    EXPECT_EQ(world.Resources(), 2u) << "the smaller pair is let go";
}

TEST(VertexObject, ListsThatDoNotFitTheBuffersAreRefusedWhole)
{
    SkyWorld world;
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);

    struct Case {
        std::size_t vertices;
        std::size_t indices;
        bool fits;
    };
    const Case cases[] = {{20000, 60000, true}, {20001, 3, false}, {3, 60001, false}};
    for (const Case& c : cases) {
        std::vector<CPMeshVertex> vertices(c.vertices);
        std::vector<std::uint16_t> indices(c.indices, 0);
        const HResult result = object.FillBuffers(vertices, indices, false);
        EXPECT_EQ(Succeeded(result), c.fits) << c.vertices << " vertices, " << c.indices << " indices";
        if (!c.fits) {
            EXPECT_EQ(object.GetSourceList().size(), 20000u) << "a refused fill changes nothing";
        }
    }
    EXPECT_TRUE(world.log.Contains("does not fit its buffers"));
}

TEST(VertexObject, DrawNeedsTheSkyDeviceAndBuffers)
{
    SkyWorld world;
    CPVertexObject object;
    EXPECT_EQ(object.Draw(), E_FAIL) << "nothing filled yet";
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);
    ServiceOverride<GetSkyDevice, SetSkyDevice> noDevice(nullptr);
    EXPECT_EQ(object.Draw(), E_FAIL);
    EXPECT_TRUE(world.device.GetFrameDraws().empty());
}

TEST(VertexObject, FillWithoutADeviceOrWithARefusedBufferFails)
{
    SkyWorld world;
    {
        CPVertexObject object;
        world.device.FailNext(platform::DeviceFailure::CreateIndexBuffer);
        EXPECT_TRUE(Failed(object.FillBuffers(Triangle(), kTriangleIndices, false)));
        EXPECT_EQ(object.GetVertexBuffer(), nullptr);
        EXPECT_EQ(world.Resources(), 0u) << "the half-made pair is let go";
        EXPECT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK)
            << "the next fill tries again";
    }
    ServiceOverride<GetRender, SetRender> noRender(nullptr);
    CPVertexObject object;
    EXPECT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), E_FAIL);
    EXPECT_TRUE(world.log.Contains("no graphics device"));
}

TEST(VertexObject, EffectsDrawEachPassAndFallBackAsTheirKindAllows)
{
    SkyWorld world;
    world.WriteEffect("two.fx", skytest::kTwoPassEffect);
    world.WriteEffect("broken.fx", skytest::kBrokenEffect);
    world.WriteTexture("t.tga");
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers(Triangle(), kTriangleIndices, false), S_OK);
    ASSERT_EQ(object.LoadTexture("data\\textures\\t.tga"), S_OK);
    ASSERT_EQ(object.LoadEffectA("data\\effects\\two.fx"), S_OK);

    EXPECT_EQ(object.Draw(), S_OK);
    EXPECT_EQ(world.device.GetFrameDraws().size(), 2u) << "one draw per pass";
    platform::Effect* effect = object.GetEffectA();
    ASSERT_EQ(effect->DrawnPasses().size(), 2u);
    EXPECT_EQ(effect->ParameterByName("tex0")->texture, object.GetTexture());

    // Effect B chosen but missing: nothing is drawn.
    object.SetUseEffectB(true);
    EXPECT_EQ(object.Draw(), E_FAIL);
    EXPECT_EQ(world.device.GetFrameDraws().size(), 2u);

    // A failed second load of A leaves none; the plain draw takes over.
    object.SetUseEffectB(false);
    EXPECT_EQ(object.LoadEffectA("data\\effects\\broken.fx"), platform::kInvalidData);
    EXPECT_EQ(object.GetEffectA(), nullptr);
    EXPECT_EQ(world.CountReports(114), 1);
    EXPECT_EQ(object.Draw(), S_OK);
    EXPECT_EQ(world.device.GetFrameDraws().size(), 3u);

    EXPECT_EQ(object.LoadEffectB("data\\effects\\broken.fx"), platform::kInvalidData);
    EXPECT_EQ(world.CountReports(149), 1);
}

TEST(VertexObject, TextureFailuresKeepThePreviousTexture)
{
    SkyWorld world;
    world.WriteTexture("good.tga");
    world.folder.Write("Data/Textures/bad.tga", std::string("not a picture"));
    CPVertexObject object;
    EXPECT_TRUE(Failed(object.LoadTexture("data\\textures\\missing.tga")));
    EXPECT_EQ(world.CountReports(50), 0) << "a file that cannot be read is not a device failure";
    ASSERT_EQ(object.LoadTexture("data\\textures\\good.tga"), S_OK);
    const platform::Texture* good = object.GetTexture();
    EXPECT_TRUE(Failed(object.LoadTexture("data\\textures\\bad.tga")));
    EXPECT_EQ(world.CountReports(50), 1);
    EXPECT_EQ(object.GetTexture(), good);
    ASSERT_EQ(object.LoadTexture("data\\textures\\good.tga"), S_OK);
    EXPECT_EQ(world.Resources(), 1u) << "the replaced texture is released";
}

TEST(VertexObject, EmptyListsDrawNoPrimitives)
{
    SkyWorld world;
    CPVertexObject object;
    ASSERT_EQ(object.FillBuffers({}, {}, false), S_OK);
    object.Draw();
    for (const platform::DrawRecord& draw : world.device.GetFrameDraws())
        EXPECT_EQ(draw.primitiveCount, 0u);
}

TEST(VertexObject, DeviceLossAndResetReachBothEffects)
{
    SkyWorld world;
    world.WriteEffect("one.fx");
    CPVertexObject object;
    ASSERT_EQ(object.LoadEffectA("data\\effects\\one.fx"), S_OK);
    ASSERT_EQ(object.LoadEffectB("data\\effects\\one.fx"), S_OK);
    NotifyDeviceLost();
    NotifyDeviceReset();
    for (platform::Effect* effect : {object.GetEffectA(), object.GetEffectB()}) {
        EXPECT_EQ(effect->LostCount(), 1);
        EXPECT_EQ(effect->ResetCount(), 1);
    }
}
