#include "Render/RenderObject.h"

#include <array>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "Render/FadeEffect.h"
#include "Render/PRender.h"
#include "Render/StaticMesh.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Math.h"
#include "support/MathExpect.h"
#include "core/ServiceOverride.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;
constexpr std::uint16_t kUntouched = 0xBEEF;

CPMeshVertex MakeVertex(Vector3 position, Vector3 normal, std::uint32_t diffuse)
{
    CPMeshVertex vertex;
    vertex.position = position;
    vertex.normal = normal;
    vertex.diffuse = diffuse;
    return vertex;
}

// A triangle of three vertices with its world copy filled as the mesh
// readers do.
void FillTriangle(CPRenderObject& object)
{
    object.GetVertices() = {MakeVertex({1, 0, 0}, {2, 0, 0}, 0xFF0000FF),
                            MakeVertex({0, 1, 0}, {0, 0, 1}, 0xFF00FF00),
                            MakeVertex({0, 0, 1}, {0, 1, 0}, 0xFFFF0000)};
    object.GetWorldVertices() = object.GetVertices();
    object.GetIndices() = {0, 1, 2};
}

// Moves a shifted texture coordinate along; applied twice in a chain it
// shows that the second effect reads what the first wrote.
class ShiftEffect : public CPVertexEffect {
  public:
    explicit ShiftEffect(int* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~ShiftEffect() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }
    void Update(float) override {}
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override
    {
        CopyVertices(out, in, count);
        for (int i = 0; i < count; ++i)
            out[i].uv1.x += 1.0f;
    }
    std::unique_ptr<CPVertexEffect> Clone() const override
    {
        return std::make_unique<ShiftEffect>(m_destroyed);
    }

  private:
    int* m_destroyed;
};

// A stand-in material: anything counted will do for the render object.
class TestMaterial : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(TestMaterial); }
    std::string GetTypeName() const override { return "TestMaterial"; }
};

TEST(RenderObject, IndicesAreOffsetByTheBaseAndWrapAt65536)
{
    const struct {
        std::uint16_t base;
        std::uint16_t index;
        std::uint16_t written;
    } cases[] = {
        {0, 5, 5},     {10, 2, 12},           {65000, 600, 64}, // 65600 - 65536
        {65535, 1, 0}, {65535, 65535, 65534},
    };
    for (const auto& c : cases) {
        CPRenderObject object(nullptr);
        FillTriangle(object);
        object.GetIndices() = {c.index};
        std::array<CPMeshVertex, 3> vertices{};
        std::uint16_t written = kUntouched;
        object.WriteVertices(vertices.data(), &written, c.base, 1);
        EXPECT_EQ(written, c.written) << c.base << " + " << c.index;
    }
}

TEST(RenderObject, WorldCopyFollowsTheOwnerOnlyAfterItsBoundsWereRebuilt)
{
    CPGameObject owner("owner");
    owner.SetPosition({10, 20, 30});
    owner.SetRotation(QuaternionFromAxisAngle({0, 0, 1}, kHalfPi));
    owner.UpdateBounds();
    ASSERT_TRUE(owner.IsBoundsValid());

    CPRenderObject object(&owner);
    FillTriangle(object);
    // Fields the refresh leaves alone keep what the world copy holds.
    object.GetWorldVertices()[0].specular = 0x12345678;
    object.GetWorldVertices()[0].uv1 = {0.25f, 0.75f};

    std::array<CPMeshVertex, 3> out{};
    std::array<std::uint16_t, 3> indices{};
    object.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_FALSE(owner.IsBoundsValid());
    // (1, 0, 0) turned a quarter about z is (0, 1, 0), then moved.
    EXPECT_TRUE(Near(out[0].position, {10, 21, 30}));
    EXPECT_TRUE(Near(out[0].normal, {0, 2, 0})); // turned, not renormalised
    EXPECT_EQ(out[0].diffuse, 0xFF0000FFu);
    EXPECT_EQ(out[0].specular, 0x12345678u);
    EXPECT_TRUE(Near(out[0].uv1, {0.25f, 0.75f}));
    EXPECT_TRUE(Near(out[1].position, {9, 20, 30}));
    EXPECT_TRUE(Near(out[2].position, {10, 20, 31}));

    // Moved, but the bounds are not rebuilt yet: the old copy is written.
    owner.SetPosition({0, 0, 0});
    object.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_TRUE(Near(out[0].position, {10, 21, 30}));

    // A refresh waits for the object to be written.
    owner.UpdateBounds();
    EXPECT_TRUE(Near(object.GetWorldVertices()[0].position, {10, 21, 30}));
    object.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_TRUE(Near(out[0].position, {0, 1, 0}));
    EXPECT_FALSE(owner.IsBoundsValid());

    // Without an owner the copy is written as it stands.
    CPRenderObject orphan(nullptr);
    FillTriangle(orphan);
    orphan.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_TRUE(Near(out[0].position, {1, 0, 0}));
}

TEST(RenderObject, EffectsWorkInTheDestinationAndLeaveTheWorldCopy)
{
    CPRenderObject object(nullptr);
    FillTriangle(object);
    object.GetEffects().Add(std::make_unique<ShiftEffect>());
    object.GetEffects().Add(std::make_unique<ShiftEffect>());

    std::array<CPMeshVertex, 3> out{};
    std::array<std::uint16_t, 3> indices{};
    object.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_FLOAT_EQ(out[0].uv1.x, 0.0f); // the has-effects flag is clear

    object.SetHasEffects(true);
    object.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_FLOAT_EQ(out[0].uv1.x, 2.0f);
    EXPECT_FLOAT_EQ(out[2].uv1.x, 2.0f);
    EXPECT_FLOAT_EQ(object.GetWorldVertices()[0].uv1.x, 0.0f);

    // The flag without effects copies the vertices.
    object.GetEffects().Clear();
    object.WriteVertices(out.data(), indices.data(), 0, 1);
    EXPECT_FLOAT_EQ(out[0].uv1.x, 0.0f);
}

TEST(RenderObject, DisabledOrEmptyObjectsWriteNothing)
{
    const CPMeshVertex sentinel = MakeVertex({7, 7, 7}, {}, 0x01020304);

    CPRenderObject disabled(nullptr);
    FillTriangle(disabled);
    disabled.SetDisabled(true);
    EXPECT_EQ(disabled.GetVertexCount(), 3); // counts are still reported
    EXPECT_EQ(disabled.GetIndexCount(), 3);

    CPRenderObject noWorldCopy(nullptr);
    FillTriangle(noWorldCopy);
    noWorldCopy.GetWorldVertices().clear();

    for (CPRenderObject* object : {&disabled, &noWorldCopy}) {
        std::array<CPMeshVertex, 3> out;
        out.fill(sentinel);
        std::array<std::uint16_t, 3> indices;
        indices.fill(kUntouched);
        object->WriteVertices(out.data(), indices.data(), 0, 1);
        EXPECT_TRUE(Near(out[0].position, sentinel.position));
        EXPECT_EQ(indices[0], kUntouched);
    }

    std::uint16_t indices[3] = {kUntouched, kUntouched, kUntouched};
    std::uint16_t first = kUntouched;
    std::uint16_t last = kUntouched;
    noWorldCopy.WriteIndices(indices, 0, first, last);
    EXPECT_EQ(indices[0], kUntouched);
    EXPECT_EQ(first, kUntouched);

    // Vertices but no indices: there is no first or last index to read.
    CPRenderObject noIndices(nullptr);
    FillTriangle(noIndices);
    noIndices.GetIndices().clear();
    noIndices.WriteIndices(indices, 0, first, last);
    EXPECT_EQ(first, kUntouched);
    EXPECT_EQ(last, kUntouched);
}

TEST(RenderObject, WriteIndicesCopiesTheOwnIndicesUnchanged)
{
    CPRenderObject object(nullptr);
    FillTriangle(object);
    object.GetIndices() = {2, 0, 1, 1, 0, 2};
    std::uint16_t indices[6] = {};
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    object.WriteIndices(indices, 0, first, last);
    EXPECT_EQ(std::vector<std::uint16_t>(indices, indices + 6), object.GetIndices());
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 2);
    object.GetIndices() = {4, 7};
    object.WriteIndices(indices, 0, first, last);
    EXPECT_EQ(first, 4);
    EXPECT_EQ(last, 7);
}

class RenderObjectCopy : public ::testing::Test {
  protected:
    void TearDown() override { render.ReleaseStaticMeshes(); }

    platform::HeadlessGraphicsDevice device;
    CPRender render{&device};

  private:
    ServiceOverride<GetRender, SetRender> m_installed{&render};
};

TEST_F(RenderObjectCopy, DisabledCopyRegistersOneStaticMeshUnderTheSourceName)
{
    CPRenderObject source(nullptr);
    FillTriangle(source);
    source.SetName("Crate");
    source.SetDisabled(true);

    CPRenderObject first(nullptr);
    first.CopyFrom(&source);
    CPRenderObject second(nullptr);
    second.CopyFrom(&source);

    EXPECT_EQ(render.GetStaticMeshCount(), 1u);
    const CPStaticMesh* mesh = render.FindStaticMesh("crate");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(first.GetStaticMesh(), mesh);
    EXPECT_EQ(second.GetStaticMesh(), mesh);
    EXPECT_EQ(first.GetName(), "Crate");
    EXPECT_TRUE(first.IsDisabled());
    EXPECT_EQ(mesh->vertexCount, 3);
    EXPECT_EQ(mesh->triangleCount, 1);
    EXPECT_EQ(mesh->indices, source.GetIndices());

    // An enabled source registers nothing and names nothing.
    CPRenderObject enabledSource(nullptr);
    FillTriangle(enabledSource);
    enabledSource.SetName("barrel");
    CPRenderObject enabled(nullptr);
    enabled.CopyFrom(&enabledSource);
    EXPECT_EQ(enabled.GetStaticMesh(), nullptr);
    EXPECT_EQ(enabled.GetName(), "");
    EXPECT_EQ(render.GetStaticMeshCount(), 1u);
}

TEST_F(RenderObjectCopy, CopyTakesGeometryMaterialAndClonesOfTheEffects)
{
    CPGameObject owner("owner");
    TestMaterial material;
    TestMaterial oldMaterial;
    int destroyed = 0;

    CPRenderObject source(&owner);
    FillTriangle(source);
    source.GetWorldVertices()[1].uv2 = {3, 4};
    source.SetMaterial(&material);
    source.SetHasEffects(true);
    source.GetEffects().Add(std::make_unique<ShiftEffect>(&destroyed));
    source.GetEffects().Add(std::make_unique<CPFadeEffect>(100.0f));
    static_cast<CPFadeEffect*>(source.GetEffects().Get(1))->Update(1.0f); // alpha 155

    CPRenderObject copy(nullptr);
    copy.SetMaterial(&oldMaterial);
    copy.GetEffects().Add(std::make_unique<ShiftEffect>(&destroyed));
    copy.GetEffects().Add(std::make_unique<ShiftEffect>(&destroyed));
    copy.GetEffects().Add(std::make_unique<ShiftEffect>(&destroyed));
    copy.CopyFrom(&source);

    EXPECT_EQ(destroyed, 3); // the chain it held is freed
    EXPECT_EQ(copy.GetOwner(), &owner);
    EXPECT_EQ(copy.GetVertexCount(), 3);
    EXPECT_EQ(copy.GetIndices(), source.GetIndices());
    EXPECT_TRUE(Near(copy.GetWorldVertices()[1].uv2, {3, 4}));
    CPObjectPtr held;
    copy.GetMaterial(held);
    EXPECT_EQ(held.Get(), &material);
    EXPECT_EQ(oldMaterial.GetUseCount(), 0u);
    EXPECT_TRUE(copy.HasEffects());
    ASSERT_EQ(copy.GetEffects().GetSize(), 2u);
    EXPECT_NE(copy.GetEffects().Get(0), source.GetEffects().Get(0));
    EXPECT_FLOAT_EQ(static_cast<CPFadeEffect*>(copy.GetEffects().Get(1))->GetAlpha(), 155.0f);

    // Anything but a mesh render object changes nothing.
    copy.CopyFrom(&material);
    copy.CopyFrom(CPObjectPtr());
    EXPECT_EQ(copy.GetVertexCount(), 3);
}

TEST(RenderObject, ZoneBoxesMoveWithTheOwnerUntilFinished)
{
    CPGameObject owner("car");
    owner.SetPosition({5, 0, 0});
    owner.UpdateBounds();

    CPRenderObject object(&owner);
    FillTriangle(object);
    object.SetDeformable(true);
    object.GetDamageZones().resize(2);
    for (CPDamageZone& zone : object.GetDamageZones()) {
        zone.box = CPBoundingBox({0, 0, 0}, {1, 1, 1});
        zone.box.localMatrix = IdentityMatrix();
        zone.box.worldMatrix = IdentityMatrix();
        zone.box.Transform();
    }
    object.GetDamageZones()[0].damage = 0.99f;
    object.GetDamageZones()[1].damage = 1.0f;

    object.UpdateWorldVertices();
    EXPECT_TRUE(Near(object.GetDamageZones()[0].box.minimum, {4, -1, -1}));
    EXPECT_TRUE(Near(object.GetDamageZones()[1].box.minimum, {-1, -1, -1}));
    EXPECT_TRUE(Near(object.GetWorldVertices()[0].position, {6, 0, 0})); // vertices still follow

    // A body that is not deformable leaves its zones alone.
    object.SetDeformable(false);
    owner.SetPosition({0, 9, 0});
    owner.UpdateBounds();
    object.UpdateWorldVertices();
    EXPECT_TRUE(Near(object.GetDamageZones()[0].box.minimum, {4, -1, -1}));

    // Nor does a disabled object refresh anything.
    object.SetDisabled(true);
    owner.SetPosition({0, 0, 0});
    owner.UpdateBounds();
    object.UpdateWorldVertices();
    EXPECT_TRUE(Near(object.GetWorldVertices()[0].position, {1, 9, 0}));
}

TEST(RenderObject, TransformVerticesBakesAPlacement)
{
    CPRenderObject object(nullptr);
    FillTriangle(object);
    object.TransformVertices(RotationMatrixZ(kHalfPi) * TranslationMatrix(1, 2, 3));
    EXPECT_TRUE(Near(object.GetVertices()[0].position, {1, 3, 3}));
    EXPECT_TRUE(Near(object.GetVertices()[0].normal, {0, 2, 0}));
    EXPECT_TRUE(Near(object.GetVertices()[2].normal, {-1, 0, 0}));
    // The world copy waits for its owner.
    EXPECT_TRUE(Near(object.GetWorldVertices()[0].position, {1, 0, 0}));
}

} // namespace
