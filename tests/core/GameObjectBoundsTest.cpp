#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/RenderObject.h"
#include "core/GameObject.h"
#include "core/ScriptObject.h"
#include "core/ShadowMatrix.h"
#include "platform/Math.h"
#include "support/MathExpect.h"

namespace {

constexpr float kHalfRoot2 = 0.70710678f;
// A quarter turn about z: (1, 0, 0) goes to (0, 1, 0).
constexpr Quaternion kQuarterTurnZ{0.0f, 0.0f, kHalfRoot2, kHalfRoot2};

::testing::AssertionResult BoxIs(const AxisBox& box, const Vector3& minimum, const Vector3& maximum)
{
    if (auto r = Near(box.minimum, minimum, 1e-4f); !r)
        return r << " (minimum)";
    if (auto r = Near(box.maximum, maximum, 1e-4f); !r)
        return r << " (maximum)";
    return ::testing::AssertionSuccess();
}

// Deletes the trees it was given when the test ends.
struct Trees {
    ~Trees()
    {
        for (CPGameObject* root : roots)
            CPGameObject::DeleteTree(root);
    }
    CPGameObject* Root(const std::string& name)
    {
        roots.push_back(new CPGameObject(name));
        return roots.back();
    }
    static CPGameObject* Child(CPGameObject* parent, const std::string& name)
    {
        auto* child = new CPGameObject(name);
        parent->AddChild(CPObjectPtr(child));
        return child;
    }
    std::vector<CPGameObject*> roots;
};

// A part box: a cube of half size h around a centre in the object's space.
CPBoundingBox Cube(const Vector3& centre, float h) { return CPBoundingBox(centre, {h, h, h}); }

} // namespace

TEST(GameObjectBoundsTest, ChildUnderATurnedAndMovedParent)
{
    Trees trees;
    CPGameObject* parent = trees.Root("turret");
    CPGameObject* child = Trees::Child(parent, "barrel");
    parent->SetShadow(false);
    child->SetShadow(false);
    parent->SetRotation(kQuarterTurnZ);
    parent->SetPosition({10.0f, 0.0f, 0.0f});
    child->SetPosition({1.0f, 0.0f, 0.0f});
    child->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {1.0f, 2.0f, 0.5f}));
    child->GetPartBoxes().push_back(Cube({0.5f, 0.0f, 0.0f}, 0.5f));
    auto* mesh = new CPRenderObject(child);
    child->SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);

    parent->UpdateBounds();

    // Row vectors: a point p lands at p * local * parent. The parent turns
    // x into y, then moves by (10, 0, 0); the child's origin (1, 0, 0)
    // turns to (0, 1, 0) and lands at (10, 1, 0).
    const Matrix4 parentWorld = Rows({{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {10, 0, 0, 1}});
    const Matrix4 childWorld = Rows({{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {10, 1, 0, 1}});
    EXPECT_TRUE(Near(parent->GetWorldMatrix(), parentWorld));
    EXPECT_TRUE(Near(child->GetParentMatrix(), parentWorld));
    EXPECT_TRUE(
        Near(child->GetLocalMatrix(), Rows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 1}})));
    EXPECT_TRUE(Near(child->GetWorldMatrix(), childWorld));
    EXPECT_TRUE(Near(mesh->GetTransform(), childWorld));

    // The child's box, 2 x 4 x 1 around its origin, turns its long side
    // onto world x: x 8..12, y 0..2, z -0.5..0.5.
    EXPECT_TRUE(BoxIs(child->GetOwnBox(), {8.0f, 0.0f, -0.5f}, {12.0f, 2.0f, 0.5f}));
    // The part cube around (0.5, 0, 0) lands around (10, 1.5, 0).
    EXPECT_TRUE(BoxIs(child->GetTreeBox(), {9.5f, 1.0f, -0.5f}, {10.5f, 2.0f, 0.5f}));
    EXPECT_TRUE(BoxIs(parent->GetTreeBox(), {9.5f, 1.0f, -0.5f}, {10.5f, 2.0f, 0.5f}));
    // The parent's own box is its empty box (raised to 0.001 around its
    // origin) merged with the child's.
    EXPECT_TRUE(BoxIs(parent->GetOwnBox(), {8.0f, -0.001f, -0.5f}, {12.0f, 2.0f, 0.5f}));
    EXPECT_TRUE(Near(parent->GetOwnBox().centre, {10.0f, 0.9995f, 0.0f}, 1e-4f));
    EXPECT_TRUE(Near(parent->GetOwnBox().halfSize, {2.0f, 1.0005f, 0.5f}, 1e-4f));

    EXPECT_FALSE(parent->IsDirty());
    EXPECT_FALSE(child->IsDirty());
    EXPECT_TRUE(parent->IsBoundsValid());
    EXPECT_TRUE(child->IsBoundsValid());
}

TEST(GameObjectBoundsTest, NothingIsRebuiltUntilTheObjectMoves)
{
    Trees trees;
    CPGameObject* object = trees.Root("post");
    object->SetPosition({3.0f, 4.0f, 5.0f});
    object->SetDirty(false);

    object->UpdateBounds();
    EXPECT_EQ(object->GetWorldMatrix().m[3][0], 0.0f);

    object->SetPosition({3.0f, 4.0f, 5.0f});
    object->UpdateBounds();
    EXPECT_EQ(object->GetWorldMatrix().m[3][0], 3.0f);
    EXPECT_EQ(object->GetWorldMatrix().m[3][2], 5.0f);
}

// After a physics step every awake body hands its place over; one that
// did not move leaves the bounds alone, one that moved has them rebuilt.
TEST(GameObjectBoundsTest, FollowingABodyRebuildsOnlyWhenTheBodyMoved)
{
    Trees trees;
    CPGameObject* object = trees.Root("crate");
    const Quaternion turned{0.0f, 0.0f, std::sin(0.25f), std::cos(0.25f)};
    object->FollowBody({3.0f, 4.0f, 5.0f}, turned);
    EXPECT_TRUE(object->IsDirty());
    object->UpdateBounds();
    EXPECT_FALSE(object->IsDirty());

    object->FollowBody({3.0f, 4.0f, 5.0f}, turned);
    EXPECT_FALSE(object->IsDirty());
    EXPECT_TRUE(object->IsBoundsValid());

    object->FollowBody({3.0f, 4.0f, 5.5f}, turned);
    EXPECT_TRUE(object->IsDirty());
    object->UpdateBounds();
    EXPECT_EQ(object->GetWorldMatrix().m[3][2], 5.5f);
}

TEST(GameObjectBoundsTest, LevelsOfDetailAreRebuiltWithTheObject)
{
    Trees trees;
    CPGameObject* object = trees.Root("tree");
    auto* far = new CPGameObject("tree_far");
    object->AddLod(CPObjectPtr(object), 0);
    object->AddLod(CPObjectPtr(far), 100);

    object->SetPosition({-7.0f, 2.0f, 0.0f});
    object->UpdateBounds();

    EXPECT_FALSE(far->IsDirty());
    EXPECT_EQ(far->GetWorldMatrix().m[3][0], -7.0f);
    EXPECT_EQ(far->GetWorldMatrix().m[3][1], 2.0f);
}

TEST(GameObjectBoundsTest, ShadowWidensTheOwnBoxDownToTheGround)
{
    // Light from straight above onto the plane z = 0: (x, y, z) falls on
    // (x, y, 0).
    const Matrix4 saved = GetShadowMatrix();
    SetShadowMatrix(ShadowMatrix({0.0f, 0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}));
    Trees trees;
    CPGameObject* caster = trees.Root("caster");
    CPGameObject* flat = trees.Root("flat");
    flat->SetShadow(false);
    for (CPGameObject* object : {caster, flat}) {
        object->SetBoundingBox(Cube({0.0f, 0.0f, 0.0f}, 1.0f));
        object->SetPosition({0.0f, 0.0f, 2.0f});
        object->UpdateBounds();
    }
    SetShadowMatrix(saved);

    EXPECT_TRUE(BoxIs(caster->GetOwnBox(), {-1.0f, -1.0f, 0.0f}, {1.0f, 1.0f, 3.0f}));
    EXPECT_TRUE(Near(caster->GetOwnBox().centre, {0.0f, 0.0f, 1.5f}));
    EXPECT_TRUE(Near(caster->GetOwnBox().halfSize, {1.0f, 1.0f, 1.5f}));
    EXPECT_TRUE(BoxIs(flat->GetOwnBox(), {-1.0f, -1.0f, 1.0f}, {1.0f, 1.0f, 3.0f}));
}

TEST(GameObjectBoundsTest, BeforeAnyLevelTheShadowLeavesBoxesFinite)
{
    // The shadow matrix is all zero until a level builds it.
    const Matrix4 saved = GetShadowMatrix();
    SetShadowMatrix(Matrix4());
    Trees trees;
    CPGameObject* object = trees.Root("crate");
    object->SetBoundingBox(Cube({0.0f, 0.0f, 0.0f}, 1.0f));
    object->SetPosition({5.0f, 0.0f, 1.0f});
    object->UpdateBounds();
    SetShadowMatrix(saved);

    EXPECT_TRUE(BoxIs(object->GetOwnBox(), {4.0f, -1.0f, 0.0f}, {6.0f, 1.0f, 2.0f}));
}

class GameObjectRayTest : public ::testing::Test {
  protected:
    // A group that is not pickable, with a cube of its own around the
    // origin, and two cubes of half size 1 in its children at x = 10 and
    // x = 20; the group's script owns everything.
    void SetUp() override
    {
        group = trees.Root("group");
        group->SetPickable(false);
        group->GetPartBoxes().push_back(Cube({0.0f, 0.0f, 0.0f}, 1.0f));
        nearBox = Trees::Child(group, "near");
        nearBox->SetPosition({10.0f, 0.0f, 0.0f});
        nearBox->GetPartBoxes().push_back(Cube({0.0f, 0.0f, 0.0f}, 1.0f));
        farBox = Trees::Child(group, "far");
        farBox->SetPosition({20.0f, 0.0f, 0.0f});
        farBox->GetPartBoxes().push_back(Cube({0.0f, 0.0f, 0.0f}, 1.0f));
        group->SetOwnerObject(CPObjectPtr(&script));
        group->UpdateBounds();

        ray.origin = {-10.0f, 0.0f, 0.0f};
        ray.direction = {1.0f, 0.0f, 0.0f};
        ray.length = 100.0f;
    }

    CPScriptObject script;
    Trees trees;
    CPGameObject* group = nullptr;
    CPGameObject* nearBox = nullptr;
    CPGameObject* farBox = nullptr;
    RayQuery ray;
};

TEST_F(GameObjectRayTest, NearerOfTwoHitsBehindANonPickableParent)
{
    ASSERT_TRUE(group->IntersectRay(ray));

    // The group's own cube (entered at 9) is skipped; the near cube is
    // entered through its x = 9 face at distance 19.
    EXPECT_EQ(ray.hitObject.Get(), nearBox);
    EXPECT_EQ(ray.hitOwner.Get(), group);
    EXPECT_NEAR(ray.length, 19.0f, 1e-4f);
    // Face x- of the cube: corners 3, 7, 4 give the normal (-4, 0, 0) and
    // d = 36, so -4 x + 36 = 0 at x = 9.
    EXPECT_NEAR(ray.hitFace.a, -4.0f, 1e-4f);
    EXPECT_NEAR(ray.hitFace.b, 0.0f, 1e-4f);
    EXPECT_NEAR(ray.hitFace.c, 0.0f, 1e-4f);
    EXPECT_NEAR(ray.hitFace.d, 36.0f, 1e-3f);
}

TEST_F(GameObjectRayTest, IgnoredObjectLetsTheRayThrough)
{
    ray.ignored = nearBox;

    ASSERT_TRUE(group->IntersectRay(ray));

    EXPECT_EQ(ray.hitObject.Get(), farBox);
    EXPECT_NEAR(ray.length, 29.0f, 1e-4f);
}

TEST_F(GameObjectRayTest, PickableParentIsHitFirst)
{
    group->SetPickable(true);

    ASSERT_TRUE(group->IntersectRay(ray));

    EXPECT_EQ(ray.hitObject.Get(), group);
    EXPECT_NEAR(ray.length, 9.0f, 1e-4f);
}

TEST_F(GameObjectRayTest, RayThatFallsShortOrPointsAwayHitsNothing)
{
    struct Case {
        Vector3 direction;
        float length;
    };
    const Case cases[] = {
        {{1.0f, 0.0f, 0.0f}, 18.0f}, {{0.0f, 0.0f, 1.0f}, 100.0f}, {{-1.0f, 0.0f, 0.0f}, 100.0f}};
    for (const Case& c : cases) {
        RayQuery miss;
        miss.origin = ray.origin;
        miss.direction = c.direction;
        miss.length = c.length;

        EXPECT_FALSE(group->IntersectRay(miss));
        EXPECT_EQ(miss.hitObject.Get(), nullptr);
        EXPECT_EQ(miss.length, c.length);
    }
}

namespace {

bool SameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

::testing::AssertionResult SameBox(const AxisBox& a, const AxisBox& b)
{
    if (SameBits(a.minimum, b.minimum) && SameBits(a.maximum, b.maximum) && SameBits(a.centre, b.centre) &&
        SameBits(a.halfSize, b.halfSize))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "boxes differ: " << Near(a.minimum, b.minimum, 0.0f).message()
                                         << " / " << Near(a.maximum, b.maximum, 0.0f).message();
}

// A car with a turret that has a barrel and a flare, each part casting a
// shadow under a slanted sun: the turret is aimed after the car has been
// placed, as the weapons aim every frame.
struct TurretCar {
    explicit TurretCar(Trees& trees)
    {
        car = trees.Root("car");
        car->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.5f}, {1.0f, 2.0f, 0.5f}));
        car->GetPartBoxes().push_back(Cube({0.0f, 0.0f, 0.5f}, 0.8f));
        turret = Trees::Child(car, "turret");
        turret->SetPosition({0.0f, 0.5f, 1.2f});
        turret->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {0.3f, 0.3f, 0.2f}));
        barrel = Trees::Child(turret, "barrel");
        barrel->SetPosition({0.0f, -0.6f, 0.0f});
        barrel->SetBoundingBox(CPBoundingBox({0.0f, -0.3f, 0.0f}, {0.05f, 0.3f, 0.05f}));
        barrel->GetPartBoxes().push_back(Cube({0.0f, -0.3f, 0.0f}, 0.06f));
        flare = Trees::Child(barrel, "flare");
        flare->SetPosition({0.0f, -0.65f, 0.0f});
    }
    std::vector<CPGameObject*> All() const { return {car, turret, barrel, flare}; }

    CPGameObject* car = nullptr;
    CPGameObject* turret = nullptr;
    CPGameObject* barrel = nullptr;
    CPGameObject* flare = nullptr;
};

class DeferredTurretTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        saved = GetShadowMatrix();
        SetShadowMatrix(ShadowMatrix({0.4f, -0.3f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f, 0.5f}));
    }
    void TearDown() override { SetShadowMatrix(saved); }

    // One frame: the car follows its body, then the turret turns to aim,
    // placed at once on the eager car and with its boxes left for later on
    // the deferred one.
    void Frame(int frame)
    {
        const Vector3 place{0.3f * frame, 10.0f - 0.7f * frame, 0.05f * frame};
        const Quaternion heading{0.0f, 0.0f, std::sin(0.05f * frame), std::cos(0.05f * frame)};
        const Quaternion aim{0.0f, 0.0f, std::sin(-0.2f * frame), std::cos(-0.2f * frame)};
        for (TurretCar* car : {&eager, &deferred}) {
            car->car->FollowBody(place, heading);
            car->car->UpdateBounds();
            car->turret->SetRotation(aim);
        }
        eager.turret->UpdateBounds();
        deferred.turret->UpdatePlacement();
    }

    ::testing::AssertionResult SameEverywhere() const
    {
        const std::vector<CPGameObject*> a = eager.All(), b = deferred.All();
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!Near(a[i]->GetWorldMatrix(), b[i]->GetWorldMatrix(), 0.0f))
                return ::testing::AssertionFailure() << a[i]->GetName() << ": world matrices differ";
            if (auto r = SameBox(a[i]->GetOwnBox(), b[i]->GetOwnBox()); !r)
                return r << " (own box of " << a[i]->GetName() << ")";
            if (auto r = SameBox(a[i]->GetTreeBox(), b[i]->GetTreeBox()); !r)
                return r << " (tree box of " << a[i]->GetName() << ")";
            const std::vector<CPBoundingBox>& pa = a[i]->GetPartBoxes();
            const std::vector<CPBoundingBox>& pb = b[i]->GetPartBoxes();
            for (std::size_t k = 0; k < pa.size(); ++k) {
                if (!SameBits(pa[k].minimum, pb[k].minimum) || !SameBits(pa[k].maximum, pb[k].maximum))
                    return ::testing::AssertionFailure() << a[i]->GetName() << ": part boxes differ";
            }
        }
        return ::testing::AssertionSuccess();
    }

    Matrix4 saved;
    Trees trees;
    TurretCar eager{trees};
    TurretCar deferred{trees};
};

} // namespace

// The matrices and the mesh transform follow the aim at once; the boxes,
// read later, are those the eager rebuild made, and the car's own box keeps
// the turret as it stood when the car was placed.
TEST_F(DeferredTurretTest, BoxesReadLaterAreThoseOfTheEagerRebuild)
{
    auto* mesh = new CPRenderObject(deferred.turret);
    deferred.turret->SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
    for (int frame = 0; frame < 5; ++frame) {
        Frame(frame);
        EXPECT_TRUE(Near(mesh->GetTransform(), deferred.turret->GetWorldMatrix(), 0.0f));
        // Only the car is read this frame: it keeps the turret's earlier
        // boxes, which the turret no longer has.
        EXPECT_TRUE(SameBox(eager.car->GetOwnBox(), deferred.car->GetOwnBox())) << "frame " << frame;
    }
    EXPECT_TRUE(SameEverywhere());
    EXPECT_FALSE(SameBox(deferred.car->GetOwnBox(), deferred.turret->GetOwnBox()));
}

// Whatever the boxes left for later were to be built from is kept as it
// stood: a barrel turned and placed on its own, a part box added, the
// shadow switched off, a child taken away or a ray cast through the tree.
TEST_F(DeferredTurretTest, ChangesBelowALaterBuildLeaveItAsTheEagerOne)
{
    struct Case {
        const char* name;
        void (*change)(TurretCar&);
    };
    const Case cases[] = {
        {"barrel placed on its own",
         [](TurretCar& car) {
             car.barrel->SetRotation({0.0f, std::sin(0.3f), 0.0f, std::cos(0.3f)});
             car.barrel->UpdateBounds();
         }},
        {"part box added", [](TurretCar& car) { car.turret->GetPartBoxes().push_back(Cube({}, 0.5f)); }},
        {"shadow switched off", [](TurretCar& car) { car.barrel->SetShadow(false); }},
        {"oriented box replaced",
         [](TurretCar& car) {
             car.flare->SetBoundingBox(CPBoundingBox({}, {3.0f, 3.0f, 3.0f}));
         }},
        {"flare taken away", [](TurretCar& car) { car.car->AddChild(CPObjectPtr(car.flare)); }},
        {"ray cast",
         [](TurretCar& car) {
             RayQuery ray;
             ray.origin = {-20.0f, 10.0f, 1.0f};
             ray.direction = {1.0f, 0.0f, 0.0f};
             ray.length = 100.0f;
             car.car->IntersectRay(ray);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frame(1);
        c.change(eager);
        c.change(deferred);
        EXPECT_TRUE(SameEverywhere());
    }
}

namespace {

::testing::AssertionResult SameMatrix(const Matrix4& a, const Matrix4& b)
{
    if (std::memcmp(&a, &b, sizeof a) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Near(a, b, 0.0f).message();
}

// A gun of a car with flares of growing size at one place, each drawn by
// a mesh, under a slanted sun.
class GunFlaresTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        saved = GetShadowMatrix();
        SetShadowMatrix(ShadowMatrix({0.4f, -0.3f, -1.0f, 0.0f}, {0.0f, 0.0f, -1.0f, 0.5f}));
        car = trees.Root("car");
        car->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.5f}, {1.0f, 2.0f, 0.5f}));
        gun = Trees::Child(car, "gun");
        gun->SetPosition({0.0f, 0.5f, 1.2f});
        gun->SetBoundingBox(CPBoundingBox({}, {0.2f, 0.4f, 0.2f}));
        for (int i = 0; i < 4; ++i) {
            CPGameObject* flare = Trees::Child(gun, "flare" + std::to_string(i));
            flare->SetPosition(kMuzzle);
            flare->SetBoundingBox(CPBoundingBox({}, {0.1f * (i + 1), 0.1f * (i + 1), 0.1f * (i + 1)}));
            auto* mesh = new CPRenderObject(flare);
            flare->SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
            flares.push_back(flare);
            meshes.push_back(mesh);
        }
    }
    void TearDown() override { SetShadowMatrix(saved); }

    // Every flare where its own local matrix puts it under the gun, its
    // mesh with it, and its boxes, when read, those of the same box placed
    // there on its own.
    ::testing::AssertionResult FlaresInPlace()
    {
        if (auto r =
                SameMatrix(gun->GetWorldMatrix(), Multiply(gun->GetLocalMatrix(), car->GetWorldMatrix()));
            !r)
            return r << " (gun)";
        for (std::size_t i = 0; i < flares.size(); ++i) {
            const CPGameObject& flare = *flares[i];
            const Matrix4 local = Multiply(
                MatrixFromQuaternion(flare.GetRotation()),
                TranslationMatrix(flare.GetPosition().x, flare.GetPosition().y, flare.GetPosition().z));
            const Matrix4 world = Multiply(local, gun->GetWorldMatrix());
            if (auto r = SameMatrix(flare.GetWorldMatrix(), world); !r)
                return r << " (world matrix of " << flare.GetName() << ")";
            if (auto r = SameMatrix(meshes[i]->GetTransform(), world); !r)
                return r << " (mesh of " << flare.GetName() << ")";
            CPGameObject* alone = trees.Root("alone");
            alone->SetBoundingBox(flare.GetBoundingBox());
            alone->SetParentMatrix(gun->GetWorldMatrix());
            alone->SetPosition(flare.GetPosition());
            alone->UpdateBounds();
            if (auto r = SameBox(flare.GetOwnBox(), alone->GetOwnBox()); !r)
                return r << " (own box of " << flare.GetName() << ")";
        }
        return ::testing::AssertionSuccess();
    }

    static constexpr Vector3 kMuzzle{0.0f, -0.7f, 0.05f};
    Matrix4 saved;
    Trees trees;
    CPGameObject* car = nullptr;
    CPGameObject* gun = nullptr;
    std::vector<CPGameObject*> flares;
    std::vector<CPRenderObject*> meshes;
};

} // namespace

// Flares at one place take one another's world matrix: each must still be
// placed anew when only the car or the gun moved, and one moved off the
// shared place (or back onto it) must follow its own place, whether the car
// places the gun with its boxes or the gun is aimed on its own.
TEST_F(GunFlaresTest, FlaresAtOnePlaceEachFollowTheirOwnPlacement)
{
    struct Step {
        const char* name;
        int movedFlare; // -1: none
        Vector3 place;  // of the moved flare
        bool aim;       // the gun is turned and placed after the car
    };
    const Step steps[] = {
        {"car and gun move", -1, {}, true},
        {"only the car moves", -1, {}, false},
        {"an inner flare moved off", 1, {0.0f, -0.9f, 0.05f}, true},
        {"the largest flare moved off", 3, {0.1f, -0.7f, 0.05f}, false},
        {"both moved back", 1, kMuzzle, true},
        {"the largest back", 3, kMuzzle, true},
        {"the smallest moved off", 0, {0.0f, -0.7f, -0.05f}, true},
    };
    int frame = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ++frame;
        if (step.movedFlare >= 0)
            flares[static_cast<std::size_t>(step.movedFlare)]->SetPosition(step.place);
        car->FollowBody({0.3f * frame, 10.0f - 0.7f * frame, 0.05f * frame},
                        {0.0f, 0.0f, std::sin(0.05f * frame), std::cos(0.05f * frame)});
        car->UpdateBounds();
        EXPECT_TRUE(FlaresInPlace()) << "after the car";
        if (step.aim) {
            gun->SetRotation({0.0f, 0.0f, std::sin(-0.2f * frame), std::cos(-0.2f * frame)});
            gun->UpdatePlacement();
            EXPECT_TRUE(FlaresInPlace()) << "after the aim";
        }
    }
}
