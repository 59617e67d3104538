// The boxes a moving car gets placed with each frame, against the same car
// whose boxes are all built afresh, part by part, when they are read.

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SampleWorld.h"
#include "core/GameObject.h"
#include "core/ShadowMatrix.h"
#include "platform/Math.h"

namespace {

bool SameBits(const Vector3& a, const Vector3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameBox(const AxisBox& a, const AxisBox& b)
{
    return SameBits(a.minimum, b.minimum) && SameBits(a.maximum, b.maximum) && SameBits(a.centre, b.centre) &&
           SameBits(a.halfSize, b.halfSize);
}

std::vector<CPGameObject*> Tree(CPGameObject* root)
{
    std::vector<CPObjectPtr> objects;
    root->CollectObjects(objects);
    std::vector<CPGameObject*> tree;
    for (const CPObjectPtr& object : objects)
        tree.push_back(object.As<CPGameObject>());
    return tree;
}

// Every matrix and box of the two trees, object by object, to the bit.
::testing::AssertionResult SameTrees(CPGameObject* placed, CPGameObject* rebuilt)
{
    const std::vector<CPGameObject*> a = Tree(placed), b = Tree(rebuilt);
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "trees of " << a.size() << " and " << b.size() << " objects";
    for (std::size_t i = 0; i < a.size(); ++i) {
        const std::string& name = a[i]->GetName();
        if (std::memcmp(&a[i]->GetWorldMatrix(), &b[i]->GetWorldMatrix(), sizeof(Matrix4)) != 0)
            return ::testing::AssertionFailure() << name << ": world matrices differ";
        if (!SameBox(a[i]->GetOwnBox(), b[i]->GetOwnBox()))
            return ::testing::AssertionFailure() << name << ": own boxes differ";
        if (!SameBox(a[i]->GetTreeBox(), b[i]->GetTreeBox()))
            return ::testing::AssertionFailure() << name << ": tree boxes differ";
        const CPBoundingBox& oa = a[i]->GetBoundingBox();
        const CPBoundingBox& ob = b[i]->GetBoundingBox();
        if (!SameBits(oa.minimum, ob.minimum) || !SameBits(oa.maximum, ob.maximum))
            return ::testing::AssertionFailure() << name << ": oriented boxes differ";
        const std::vector<CPBoundingBox>& pa = static_cast<const CPGameObject*>(a[i])->GetPartBoxes();
        const std::vector<CPBoundingBox>& pb = static_cast<const CPGameObject*>(b[i])->GetPartBoxes();
        for (std::size_t k = 0; k < pa.size() && k < pb.size(); ++k) {
            if (!SameBits(pa[k].minimum, pb[k].minimum) || !SameBits(pa[k].maximum, pb[k].maximum))
                return ::testing::AssertionFailure() << name << ": part box " << k << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

class SampleCarBoundsTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        saved = GetShadowMatrix();
        // A low sun from the side onto a tilted ground, so that every part's
        // shadow reaches out of the car's boxes.
        SetShadowMatrix(ShadowMatrix({0.6f, -0.35f, -0.7f, 0.0f}, {0.05f, -0.02f, 1.0f, 0.3f}));
        placed = world.Load("zil_130_.rdf");
        rebuilt = world.Load("zil_130_.rdf");
    }
    void TearDown() override { SetShadowMatrix(saved); }

    // One frame of a car driving a curve, bouncing and rolling, its wheels
    // spinning: the placed car has its boxes made as it moves, the other
    // only its matrices, its boxes built when they are read.
    void Frame(int frame)
    {
        const float t = 0.37f * static_cast<float>(frame);
        const Vector3 place{40.0f * std::sin(0.1f * t) - 13.0f, 25.0f * std::cos(0.13f * t) + 7.0f,
                            0.4f * std::sin(t)};
        const Quaternion turn = Normalize(Quaternion{0.08f * std::sin(t), 0.05f * std::cos(1.7f * t),
                                                     std::sin(0.05f * t), std::cos(0.05f * t)});
        const Quaternion spin{std::sin(0.9f * t), 0.0f, 0.0f, std::cos(0.9f * t)};
        for (CPGameObject* car : {placed, rebuilt}) {
            for (const char* wheel : {"w0", "w1", "w2", "w3"})
                car->FindObjectInTree(wheel).As<CPGameObject>()->SetRotation(spin);
            car->FollowBody(place, turn);
        }
        placed->UpdateBounds();
        rebuilt->UpdatePlacement();
    }

    Matrix4 saved;
    SampleWorld world;
    CPGameObject* placed = nullptr;
    CPGameObject* rebuilt = nullptr;
};

} // namespace

TEST_F(SampleCarBoundsTest, BoxesPlacedWithTheCarAreThoseBuiltPartByPart)
{
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(rebuilt, nullptr);
    for (int frame = 0; frame < 40; ++frame) {
        Frame(frame);
        // The culling reads the car's own box first, each frame.
        ASSERT_TRUE(SameBox(placed->GetOwnBox(), rebuilt->GetOwnBox())) << "frame " << frame;
        if (frame % 7 == 0) {
            ASSERT_TRUE(SameTrees(placed, rebuilt)) << "frame " << frame;
        }
    }
}

// The muzzle flashes of a gun nest one in the next; when one is changed so
// that it no longer fits in the next, or is moved or turned off it, or casts
// a shadow the next does not, or gets part boxes or parts of its own, the
// car's boxes take it in again, and a flash turned back onto the next may
// be passed over again. What the placement remembers of the flashes'
// nesting from frame to frame must follow each change.
TEST_F(SampleCarBoundsTest, AFlashThatNoLongerNestsIsTakenInAgain)
{
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(rebuilt, nullptr);
    const struct {
        const char* name;
        const char* flash;
        const char* next;
        void (*change)(CPGameObject& flash, CPGameObject& next);
    } cases[] = {
        {"wider than the next", "flare_mgun_01", "flare_mgun_02",
         [](CPGameObject& flash, CPGameObject&) {
             CPBoundingBox box = flash.GetBoundingBox();
             box.halfExtents.x = 0.6f;
             flash.SetBoundingBox(box);
         }},
        {"moved off the next", "flare_mgun_01", "flare_mgun_02",
         [](CPGameObject& flash, CPGameObject&) {
             flash.SetPosition({0.0f, -0.9f, 0.2f});
         }},
        {"casting a shadow the next does not", "flare_mgun_01", "flare_mgun_02",
         [](CPGameObject&, CPGameObject& next) { next.SetShadow(false); }},
        {"centred away from the next", "flare_mgun_01", "flare_mgun_02",
         [](CPGameObject& flash, CPGameObject&) {
             CPBoundingBox box = flash.GetBoundingBox();
             box.centre.z = 0.3f;
             flash.SetBoundingBox(box);
         }},
        {"turned off the next", "flare_rlauncher_01", "flare_rlauncher_02",
         [](CPGameObject& flash, CPGameObject&) {
             // A quarter turn by a quaternion of length two, which also
             // grows the flash fourfold, up out of the gun and its shadow.
             flash.SetRotation(Quaternion{1.4142135f, 0.0f, 0.0f, 1.4142135f});
         }},
        {"turned back onto the next", "flare_rlauncher_01", "flare_rlauncher_02",
         [](CPGameObject& flash, CPGameObject& next) {
             flash.SetRotation(next.GetRotation());
             flash.SetPosition(next.GetPosition());
         }},
        {"given a part box of its own", "flare_rlauncher_01", "flare_rlauncher_02",
         [](CPGameObject& flash, CPGameObject&) {
             flash.GetPartBoxes().emplace_back(Vector3{0.0f, 0.0f, 0.0f}, Vector3{0.7f, 0.02f, 0.02f});
         }},
        {"given a part of its own", "flare_rlauncher_02", "flare_rlauncher_03",
         [](CPGameObject& flash, CPGameObject&) {
             auto* part = new CPGameObject("spark");
             part->SetBoundingBox(CPBoundingBox({0.0f, 0.0f, 0.0f}, {0.02f, 0.9f, 0.02f}));
             flash.AddChild(CPObjectPtr(part));
         }},
    };
    int frame = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (CPGameObject* car : {placed, rebuilt}) {
            auto* flash = car->FindObjectInTree(c.flash).As<CPGameObject>();
            auto* next = car->FindObjectInTree(c.next).As<CPGameObject>();
            ASSERT_NE(flash, nullptr);
            ASSERT_NE(next, nullptr);
            c.change(*flash, *next);
        }
        for (int k = 0; k < 3; ++k, ++frame) {
            Frame(frame);
            ASSERT_TRUE(SameTrees(placed, rebuilt)) << "frame " << frame;
        }
    }
}
