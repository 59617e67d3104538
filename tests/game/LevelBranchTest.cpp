#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Render/CurrentCamera.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "game/LevelBranch.h"
#include "game/LevelTestObjects.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/MatrixMath.h"
#include "core/ServiceOverride.h"

namespace {

// Stands in for a material: the branch only tells materials apart.
class TestMaterial : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(*this); }
    std::string GetTypeName() const override { return "TestMaterial"; }
};

class LevelBranchTest : public ::testing::Test {
  protected:
    ~LevelBranchTest() override
    {
        for (CPGameObject* object : m_objects)
            CPGameObject::DeleteTree(object);
    }

    // A cube of half size h at the position; with a material it carries a
    // mesh of `vertices` vertices and twice as many indices.
    CPGameObject* Cube(const Vector3& position, TestMaterial* material = nullptr, float h = 1.0f,
                       int vertices = 3)
    {
        auto* object = new CPGameObject("cube" + std::to_string(m_objects.size()));
        m_objects.push_back(object);
        if (material) {
            auto* mesh = new CPRenderObject(object);
            mesh->GetVertices().resize(static_cast<std::size_t>(vertices));
            mesh->GetIndices().resize(static_cast<std::size_t>(vertices) * 2);
            mesh->SetMaterial(CPObjectPtr(material));
            object->SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
        }
        PlaceCube(*object, position, h);
        return object;
    }
    static std::vector<CPObjectPtr> List(std::initializer_list<CPGameObject*> objects)
    {
        return std::vector<CPObjectPtr>(objects.begin(), objects.end());
    }
    static bool Holds(const CPLevelBranch* branch, const CPGameObject* object)
    {
        for (const CPObjectPtr& entry : branch->GetObjects())
            if (entry.Get() == object)
                return true;
        return false;
    }
    static RayQuery Ray(const Vector3& origin, const Vector3& direction, float length)
    {
        RayQuery ray;
        ray.origin = origin;
        ray.direction = direction;
        ray.length = length;
        return ray;
    }

    TestMaterial m1;
    TestMaterial m2;
    TestMaterial m3;

  private:
    std::vector<CPGameObject*> m_objects;
};

} // namespace

TEST_F(LevelBranchTest, BuildCountsDrawnMeshesAndSortsPlainFromDetailObjects)
{
    CPGameObject* a = Cube({0, 0, 0}, &m1, 1.0f, 4);
    CPGameObject* b = Cube({5, 0, 0}, &m1, 1.0f, 10);
    CPGameObject* plain = Cube({9, 0, 0}, &m2, 1.0f, 100);
    plain->SetTag(0); // not drawn through the branch's meshes
    b->SetShadow(true);
    b->SetShadowMaterial(CPObjectPtr(&m3));

    CPLevelBranch branch;
    branch.Build(List({a, b, plain}));
    // a once, b twice (its shadow pass); the plain object not at all.
    EXPECT_EQ(branch.GetVertexCount(), 4u + 2 * 10u);
    EXPECT_EQ(branch.GetIndexCount(), 8u + 2 * 20u);
    EXPECT_EQ(branch.GetMaterialCount(), 2u); // m1 and b's shadow material
    ASSERT_EQ(branch.GetPlainObjects().size(), 1u);
    EXPECT_EQ(branch.GetPlainObjects()[0].Get(), plain);
    EXPECT_EQ(branch.GetDetailObjects().size(), 2u);
    EXPECT_FLOAT_EQ(branch.GetBox().minimum.x, -1.0f);
    EXPECT_FLOAT_EQ(branch.GetBox().maximum.x, 10.0f);
}

TEST_F(LevelBranchTest, SplitCutsAtTheMiddleOfTheCentresAndKeepsEqualCentresTogether)
{
    CPGameObject* low = Cube({0, 0, 0});
    CPGameObject* middle = Cube({5, 0, 0}); // on the middle: the low side
    CPGameObject* twin = Cube({10, 0, 0});
    CPGameObject* high = Cube({10, 0, 0});

    CPLevelBranch root;
    root.Build(List({low, middle, twin, high}));
    root.Split();
    ASSERT_FALSE(root.IsLeaf());
    // The high side becomes the left child.
    EXPECT_TRUE(Holds(root.GetLeft(), twin));
    EXPECT_TRUE(Holds(root.GetLeft(), high));
    EXPECT_EQ(root.GetRight()->GetObjects().size(), 2u);
    EXPECT_TRUE(Holds(root.GetRight(), middle));
    // The twins share every centre coordinate: no cut parts them.
    EXPECT_TRUE(root.GetLeft()->IsLeaf());
    EXPECT_EQ(root.GetLeft()->GetObjects().size(), 2u);
    // The low pair splits down to single objects.
    ASSERT_FALSE(root.GetRight()->IsLeaf());
    EXPECT_TRUE(Holds(root.GetRight()->GetLeft(), middle));
    EXPECT_TRUE(Holds(root.GetRight()->GetRight(), low));
}

TEST_F(LevelBranchTest, LaterAxisReplacesTheCutOnlyWithStrictlyFewerMaterials)
{
    // Four cubes on a square: the x cut pairs them by column, the y cut by
    // row.
    const struct Case {
        const char* what;
        bool rowsShareMaterial;
        bool yCutTaken;
    } cases[] = {
        {"each row one material: y halves hold 1 + 1 against 2 + 2", true, true},
        {"one material everywhere: a tie keeps the x cut", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestMaterial* top = c.rowsShareMaterial ? &m2 : &m1;
        CPGameObject* bottomLeft = Cube({0, 0, 0}, &m1);
        CPGameObject* bottomRight = Cube({10, 0, 0}, &m1);
        CPGameObject* topLeft = Cube({0, 10, 0}, top);
        CPGameObject* topRight = Cube({10, 10, 0}, top);
        CPLevelBranch root;
        root.Build(List({bottomLeft, bottomRight, topLeft, topRight}));
        root.Split();
        ASSERT_FALSE(root.IsLeaf());
        const CPLevelBranch* left = root.GetLeft();
        if (c.yCutTaken) {
            EXPECT_TRUE(Holds(left, topLeft) && Holds(left, topRight));
        } else {
            EXPECT_TRUE(Holds(left, bottomRight) && Holds(left, topRight));
        }
    }
}

TEST_F(LevelBranchTest, LeavesListObjectsWhoseFirstTokenIsBonus)
{
    const struct Case {
        const char* text;
        bool bonus;
    } cases[] = {
        {"bonus", true}, {"bonus_repair", true}, {"bonus_", true}, {"bonusx", false}, {"a_bonus", false},
        {"", false},     {"_bonus", false},      {"Bonus", false},
    };
    std::vector<CPObjectPtr> objects;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        CPGameObject* object = Cube({static_cast<float>(i) * 10.0f, 3.0f, 1.0f});
        object->SetText(cases[i].text);
        objects.push_back(CPObjectPtr(object));
    }
    CPLevelBranch root;
    root.Build(objects);
    root.Split();
    std::vector<CPObjectPtr> bonuses;
    root.CollectRootItems(bonuses);
    std::vector<std::string> found;
    for (const CPObjectPtr& bonus : bonuses)
        found.push_back(bonus.As<CPGameObject>()->GetText());
    EXPECT_EQ(found, (std::vector<std::string>{"bonus_", "bonus_repair", "bonus"}));
    for (const Case& c : cases)
        EXPECT_EQ(CPLevelBranch::IsBonusText(c.text), c.bonus) << c.text;
}

TEST_F(LevelBranchTest, BonusPositionsAreWorldPositions)
{
    CPGameObject* bonus = Cube({7, 8, 9});
    bonus->SetText("bonus_fast");
    CPLevelBranch root;
    root.Build(List({bonus}));
    root.Split();
    ASSERT_EQ(root.GetBonusPositions().size(), 1u);
    EXPECT_FLOAT_EQ(root.GetBonusPositions()[0].x, 7.0f);
    EXPECT_FLOAT_EQ(root.GetBonusPositions()[0].y, 8.0f);
    EXPECT_FLOAT_EQ(root.GetBonusPositions()[0].z, 9.0f);
}

TEST_F(LevelBranchTest, RayThroughALeafTestsEveryObjectAndKeepsTheNearest)
{
    // Two cubes with one centre share a leaf; the larger one, listed
    // second, is met first.
    CPGameObject* small = Cube({20, 0, 0}, nullptr, 1.0f);
    CPGameObject* large = Cube({20, 0, 0}, nullptr, 3.0f);
    CPGameObject* other = Cube({-20, 0, 0});
    CPLevelBranch root;
    root.Build(List({small, large, other}));
    root.Split();

    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(root.IntersectRay(ray));
    EXPECT_EQ(ray.hitObject.Get(), large);
    EXPECT_FLOAT_EQ(ray.length, 17.0f);

    RayQuery away = Ray({0, 50, 0}, {1, 0, 0}, 100.0f);
    EXPECT_FALSE(root.IntersectRay(away));
    EXPECT_FALSE(away.hitObject);
}

TEST_F(LevelBranchTest, NodeBoxesReachAsFarAsTheObjectsParts)
{
    // Mesh parts read from a scene file have part boxes but no box of
    // their own: the tree must still place them, cut between them and let
    // rays reach them.
    auto partOnly = [this](const Vector3& centre) {
        CPGameObject* object = Cube({0, 0, 0});
        object->SetBoundingBox(CPBoundingBox());
        object->GetPartBoxes()[0] = CPBoundingBox(centre, {1, 1, 1});
        object->SetPosition({0, 0, 0.5f});
        object->UpdateBounds();
        return object;
    };
    CPGameObject* near = partOnly({10, 0, 0});
    CPGameObject* far = partOnly({30, 0, 0});
    CPLevelBranch root;
    root.Build(List({near, far}));
    root.Split();
    EXPECT_FALSE(root.IsLeaf());
    EXPECT_FLOAT_EQ(root.GetBox().maximum.x, 31.0f);

    RayQuery ray = Ray({0, 0, 0.5f}, {1, 0, 0}, 100.0f);
    EXPECT_TRUE(root.IntersectRay(ray));
    EXPECT_EQ(ray.hitObject.Get(), near);
    EXPECT_FLOAT_EQ(ray.length, 9.0f);
}

TEST_F(LevelBranchTest, SphereQueryAppendsTheObjectsWithinTheRadius)
{
    CPGameObject* near = Cube({3, 0, 0});
    CPGameObject* edge = Cube({0, 6, 0}); // box from y 5: exactly at the radius
    CPGameObject* far = Cube({40, 0, 0});
    CPLevelBranch root;
    root.Build(List({near, edge, far}));
    root.Split();
    std::vector<CPObjectPtr> found;
    root.CollectInSphere({0, 0, 0}, 5.0f, found);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE((found[0].Get() == near && found[1].Get() == edge) ||
                (found[0].Get() == edge && found[1].Get() == near));

    CPLevelBranch empty;
    empty.Build({});
    empty.Split();
    found.clear();
    empty.CollectInSphere({0, 0, 0}, 1e6f, found);
    RayQuery ray = Ray({0, 0, 0}, {1, 0, 0}, 100.0f);
    EXPECT_FALSE(empty.IntersectRay(ray));
    EXPECT_TRUE(found.empty());
}

TEST_F(LevelBranchTest, DetailChoiceFollowsTheSwitchDistances)
{
    // The levels of detail go with their object's tree.
    CPGameObject* object = Cube({0, 0, 0});
    auto* lod1 = new CPGameObject("lod1");
    auto* lod2 = new CPGameObject("lod2");
    object->AddLod(CPObjectPtr(object), 0);
    object->AddLod(CPObjectPtr(lod1), 50);
    object->AddLod(CPObjectPtr(lod2), 100);
    CPGameObject* single = Cube({0, 0, 0});
    single->AddLod(CPObjectPtr(single), 0);

    const struct Case {
        float distance;
        CPGameObject* chosen;
    } cases[] = {
        {0.0f, object}, {50.0f, object}, {50.5f, lod1},     {100.0f, lod1},
        {100.5f, lod2}, {200.0f, lod2},  {200.5f, nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPLevelBranch::ChooseDetail(*object, c.distance * c.distance), c.chosen) << c.distance;
    EXPECT_EQ(CPLevelBranch::ChooseDetail(*single, 1e8f), single);
}

TEST_F(LevelBranchTest, DrawWalkVisitsOnlyLeavesInView)
{
    platform::HeadlessGraphicsDevice device;
    CPRender render(&device);
    ServiceOverride<GetRender, SetRender> installedRender(&render);
    CPRenderList list(&render);
    render.SetSceneObject(CPObjectPtr(&list));

    // Three objects ahead of the camera (along +x), one behind it.
    CPGameObject* a = Cube({50, 0, 0});
    CPGameObject* b = Cube({60, 0, 0});
    CPGameObject* c = Cube({60, 0, 0});
    CPGameObject* behind = Cube({-60, 0, 0});
    CPLevelBranch root;
    root.Build(List({a, b, c, behind}));
    root.Split();

    CPPerspectiveCamera camera;
    camera.Eye() = {0, 0, 0};
    camera.Target() = {1, 0, 0};
    camera.Up() = {0, 0, 1};
    camera.FieldOfView() = 1.0f;
    camera.NearPlane() = 1.0f;
    camera.FarPlane() = 500.0f;
    camera.SetViewChanged();
    camera.SetProjectionChanged();
    camera.Update();
    ServiceOverride<GetCameraSource, SetCameraSource> installedCameraSource([&camera] { return &camera; });

    render.DrawWalkCount() = 0;
    root.CollectVisible(camera);
    EXPECT_EQ(render.DrawWalkCount(), 3);

    camera.Target() = {-1, 0, 0};
    camera.SetViewChanged();
    camera.Update();
    render.DrawWalkCount() = 0;
    root.CollectVisible(camera);
    EXPECT_EQ(render.DrawWalkCount(), 1);

    render.SetSceneObject(CPObjectPtr());
}
