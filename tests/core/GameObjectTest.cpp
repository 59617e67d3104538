#include "core/GameObject.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/RenderObject.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "physics/KinematicBody.h"
#include "physics/PhysicData.h"
#include "physics/RigidBody.h"
#include "support/TestEngine.h"
#include "support/GameObjectFakes.h"
#include "support/CommandDrain.h"

namespace {

// Every command queued on a script object, as "name(p1|p2)", oldest first.
std::vector<std::string> Drain(CPScriptObject& script) { return DrainCommands(script); }

// The handle a script sees for an object: its address in unsigned decimal.
std::string Handle(const void* object) { return std::to_string(reinterpret_cast<std::uintptr_t>(object)); }

int CountListed(const CPKernel& kernel, const CPObject* task)
{
    int count = 0;
    for (const CPObjectPtr& listed : kernel.GetTasks())
        count += listed.Get() == task ? 1 : 0;
    return count;
}

// A kernel and a registry installed as the engine's singletons, and a tree
// that is deleted whole at the end of each test.
class GameObjectTest : public ::testing::Test {
  protected:
    void TearDown() override
    {
        for (CPGameObject* root : roots)
            CPGameObject::DeleteTree(root);
    }

    CPGameObject* MakeRoot(const std::string& name)
    {
        roots.push_back(new CPGameObject(name));
        return roots.back();
    }
    static CPGameObject* MakeChild(CPGameObject* parent, const std::string& name)
    {
        auto* child = new CPGameObject(name);
        parent->AddChild(CPObjectPtr(child));
        return child;
    }

    // Declared first so that it outlives the objects that report to it.
    CPScriptObject script;
    TestEngine engine;
    CPKernel& kernel = engine.services->Kernel();
    CPObjectRegistry& registry = engine.services->Registry();
    std::vector<CPGameObject*> roots;
};

} // namespace

TEST_F(GameObjectTest, ActivationTellsTheScriptOnceWithTheObjectsFullAddress)
{
    CPGameObject* car = MakeRoot("car");
    car->SetOwnerObject(CPObjectPtr(&script));

    car->Activate(700);
    car->Activate(700);

    EXPECT_TRUE(car->IsActive());
    EXPECT_TRUE(script.IsRunning());
    EXPECT_EQ(script.GetPriority(), 700);
    EXPECT_EQ(CountListed(kernel, &script), 1);
    EXPECT_EQ(Drain(script), std::vector<std::string>{"add_object(" + Handle(car) + ")"});

    car->Deactivate();
    car->Deactivate();
    EXPECT_FALSE(car->IsActive());
    EXPECT_EQ(Drain(script), std::vector<std::string>{"delete_object(" + Handle(car) + ")"});
    // The script keeps running: it may serve other objects.
    EXPECT_TRUE(script.IsRunning());
}

TEST_F(GameObjectTest, DeactivatingAnInactiveObjectSendsNothing)
{
    CPGameObject* crate = MakeRoot("crate");
    crate->SetOwnerObject(CPObjectPtr(&script));
    script.Begin();

    crate->Deactivate();

    EXPECT_TRUE(Drain(script).empty());
}

TEST_F(GameObjectTest, ActivationReachesTheChildrenAndTheirOwnScripts)
{
    CPScriptObject turretScript;
    CPGameObject* tank = MakeRoot("tank");
    CPGameObject* hull = MakeChild(tank, "hull");
    CPGameObject* turret = MakeChild(hull, "turret");
    tank->SetOwnerObject(CPObjectPtr(&script));
    turret->SetOwnerObject(CPObjectPtr(&turretScript));

    tank->Activate(5000);

    EXPECT_TRUE(hull->IsActive());
    EXPECT_TRUE(turret->IsActive());
    EXPECT_EQ(Drain(script), std::vector<std::string>{"add_object(" + Handle(tank) + ")"});
    EXPECT_EQ(Drain(turretScript), std::vector<std::string>{"add_object(" + Handle(turret) + ")"});

    tank->Deactivate();
    EXPECT_FALSE(turret->IsActive());
    EXPECT_EQ(Drain(turretScript), std::vector<std::string>{"delete_object(" + Handle(turret) + ")"});
    // The local script leaves the kernel before it goes.
    kernel.RemoveTask(&turretScript);
}

TEST_F(GameObjectTest, OnlyAnAnimationNamedExactlyIdleLoopsAndStartsWithActivation)
{
    struct Case {
        const char* name;
        bool idle;
    };
    const Case cases[] = {
        {"idle", true}, {"Idle", false}, {"idle ", false}, {"idl", false}, {"idle2", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPGameObject* object = MakeRoot("walker");
        auto* animation = new FakePartAnimation();
        object->SetAnimation(c.name, CPObjectPtr(animation));

        EXPECT_TRUE(object->IsAnimationSet());
        EXPECT_EQ(object->GetTag(), 0);
        EXPECT_EQ(object->GetAnimations().at(c.name).Get(), animation);
        EXPECT_EQ(animation->IsLooping(), c.idle);
        EXPECT_EQ(object->GetIdleAnimation().Get(), c.idle ? animation : nullptr);

        object->Activate(300);
        EXPECT_EQ(animation->IsRunning(), c.idle);
        EXPECT_EQ(CountListed(kernel, animation), c.idle ? 1 : 0);
        EXPECT_EQ(animation->GetPriority(), c.idle ? 300 : 5000);

        object->Deactivate();
        EXPECT_FALSE(animation->IsRunning());
        EXPECT_EQ(animation->IsKilled(), c.idle);
    }
}

TEST_F(GameObjectTest, ReactivationInOneFrameListsTheIdleAnimationOnce)
{
    CPGameObject* object = MakeRoot("flag");
    auto* animation = new FakePartAnimation();
    object->SetAnimation("idle", CPObjectPtr(animation));

    object->Activate(5000);
    object->Deactivate();
    object->Activate(5000);
    kernel.StepTasks(0.02f);

    EXPECT_EQ(CountListed(kernel, animation), 1);
    EXPECT_EQ(animation->steps, 1);
}

TEST_F(GameObjectTest, TaskRenderObjectStartsOnlyWhenVisibleAndNotRunning)
{
    struct Case {
        bool visible;
        bool alreadyRunning;
        bool startedByActivation;
    };
    const Case cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "visible " << c.visible << ", running " << c.alreadyRunning);
        CPGameObject* object = MakeRoot("smoke");
        auto* effect = new FakePartAnimation();
        object->SetRenderObject(CPObjectPtr(effect), CPGameObject::kTaskObject);
        object->SetVisible(c.visible);
        if (c.alreadyRunning) {
            effect->SetPriority(42);
            effect->Begin();
        }

        object->Activate(800);
        EXPECT_EQ(CountListed(kernel, effect), c.startedByActivation ? 1 : 0);
        EXPECT_EQ(effect->GetPriority(), c.alreadyRunning ? 42 : (c.startedByActivation ? 800 : 5000));

        object->Deactivate();
        EXPECT_TRUE(effect->IsKilled());
    }
}

TEST_F(GameObjectTest, ActivatingObjectsWithoutATaskRenderObjectIsHarmless)
{
    // A task kind without a render object, and a task kind holding a render
    // object that is no task.
    CPGameObject* empty = MakeRoot("empty");
    empty->SetRenderObject(CPObjectPtr(), CPGameObject::kTaskObject);
    CPGameObject* mismatched = MakeRoot("mismatched");
    mismatched->SetRenderObject(CPObjectPtr(new CPRenderObject(mismatched)), CPGameObject::kTaskObject);
    CPGameObject* plain = MakeRoot("plain");

    for (CPGameObject* object : {empty, mismatched, plain}) {
        object->Activate(5000);
        EXPECT_TRUE(object->IsActive());
        object->Deactivate();
        EXPECT_FALSE(object->IsActive());
    }
    EXPECT_TRUE(kernel.GetTasks().empty());
}

TEST_F(GameObjectTest, AnimationEndIsToldToTheScript)
{
    CPGameObject* door = MakeRoot("door");
    door->SetOwnerObject(CPObjectPtr(&script));
    auto* opening = new FakePartAnimation();
    opening->SetOwner(door);
    door->SetAnimation("open", CPObjectPtr(opening));
    door->Activate(5000);
    Drain(script);

    opening->FinishTrack();

    EXPECT_EQ(Drain(script), std::vector<std::string>{"animation_end(" + Handle(door) + ")"});
}

TEST_F(GameObjectTest, DamageIsToldUnlessQuietThenHandedToTheEnemy)
{
    struct Case {
        bool withScript;
        bool quiet;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {true, false, {"damage(33.33)"}},
        {true, true, {}},
        {false, false, {}},
    };
    const Vector3 source{1.0f, 2.0f, 3.0f};
    const Vector3 hit{-4.0f, 5.5f, 0.25f};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "script " << c.withScript << ", quiet " << c.quiet);
        CPScriptObject listener;
        listener.Begin();
        FakeEnemy enemy;
        CPGameObject* gunner = MakeRoot("gunner");
        if (c.withScript)
            gunner->SetOwnerObject(CPObjectPtr(&listener));
        gunner->SetEnemy(&enemy);
        enemy.watched = &listener;

        gunner->OnDamage(source, hit, 33.333f, true, c.quiet);

        EXPECT_EQ(Drain(listener), c.told);
        ASSERT_EQ(enemy.damages.size(), 1u);
        const FakeEnemy::Damage& d = enemy.damages[0];
        EXPECT_EQ(d.source.x, 1.0f);
        EXPECT_EQ(d.source.z, 3.0f);
        EXPECT_EQ(d.hitPosition.y, 5.5f);
        EXPECT_EQ(d.hitPosition.z, 0.25f);
        EXPECT_EQ(d.amount, 33.333f);
        EXPECT_TRUE(d.noHitEffect);
        EXPECT_EQ(d.oilOnly, c.quiet);
        // The script hears of the damage before the enemy handles it.
        EXPECT_EQ(d.queuedOnScript, c.told.size());
        CPGameObject::DeleteTree(gunner);
        roots.pop_back();
    }
}

TEST_F(GameObjectTest, EnemyHooksForwardOnlyWhenAnEnemyIsAttached)
{
    CPGameObject* object = MakeRoot("beast");
    script.Begin();
    object->SetOwnerObject(CPObjectPtr(&script));
    object->ChooseEnemyAttack();
    object->HandleEnemyHit();
    object->OnDamage({}, {}, 5.0f, false, false);
    EXPECT_EQ(Drain(script), std::vector<std::string>{"damage(5.00)"});

    FakeEnemy enemy;
    object->SetEnemy(&enemy);
    object->ChooseEnemyAttack();
    object->HandleEnemyHit();
    EXPECT_EQ(enemy.calls, (std::vector<std::string>{"PlayAttackAnimation", "Strike"}));
}

TEST_F(GameObjectTest, ChildrenAreFoundByNameInTheirParentOnly)
{
    CPGameObject* car = MakeRoot("car");
    CPGameObject* body = MakeChild(car, "body");
    CPGameObject* glass = MakeChild(body, "glass");

    EXPECT_EQ(body->GetParentObject(), car);
    EXPECT_EQ(body->GetParent().Get(), car);
    EXPECT_EQ(car->GetParent().Get(), nullptr);
    EXPECT_EQ(car->GetChildByName("body").Get(), body);
    EXPECT_EQ(car->GetChildByName("glass").Get(), nullptr);
    EXPECT_EQ(body->GetChildByName("glass").Get(), glass);
    EXPECT_EQ(car->GetChildren().size(), 1u);
}

TEST_F(GameObjectTest, FindObjectInTreeSearchesTheOwnMapFirstThenDepthFirst)
{
    // root: a (a1 (target), a2), b (target), target
    CPGameObject* root = MakeRoot("root");
    CPGameObject* a = MakeChild(root, "a");
    CPGameObject* a1 = MakeChild(a, "a1");
    CPGameObject* deep = MakeChild(a1, "target");
    MakeChild(a, "a2");
    CPGameObject* b = MakeChild(root, "b");
    CPGameObject* underB = MakeChild(b, "target");
    CPGameObject* direct = MakeChild(root, "target");

    EXPECT_EQ(root->FindObjectInTree("target").Get(), direct);
    EXPECT_EQ(a->FindObjectInTree("target").Get(), deep);
    EXPECT_EQ(b->FindObjectInTree("target").Get(), underB);
    EXPECT_EQ(root->FindObjectInTree("a2").Get(), a->GetChildByName("a2").Get());
    EXPECT_EQ(root->FindObjectInTree("nowhere").Get(), nullptr);

    // Without the direct child the search goes depth first: a's subtree
    // comes before b's.
    delete direct;
    EXPECT_EQ(root->FindObjectInTree("target").Get(), deep);
}

TEST_F(GameObjectTest, AFailedLookupLeavesNoHoleInLaterSearches)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* arm = MakeChild(root, "arm");
    CPGameObject* hand = MakeChild(arm, "hand");

    EXPECT_EQ(root->GetChildByName("hand").Get(), nullptr); // leaves an empty entry
    EXPECT_EQ(root->GetChildByName("hand").Get(), nullptr);

    EXPECT_EQ(root->FindObjectInTree("hand").Get(), hand);
    // A child that arrives later under that name takes the entry.
    CPGameObject* second = MakeChild(root, "hand");
    EXPECT_EQ(root->GetChildByName("hand").Get(), second);
}

TEST_F(GameObjectTest, DestroyedChildLeavesBothParentMaps)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* first = MakeChild(root, "wheel");
    CPGameObject* keep = MakeChild(root, "keep");
    CPGameObject* last = MakeChild(root, "last");

    delete first;

    ASSERT_EQ(root->GetChildren().size(), 2u);
    EXPECT_EQ(root->GetChildAt(0), keep);
    EXPECT_EQ(root->GetChildAt(1), last);
    EXPECT_EQ(root->FindObjectInTree("wheel").Get(), nullptr);
    EXPECT_EQ(root->GetChildByName("wheel").Get(), nullptr);
}

TEST_F(GameObjectTest, DestroyedChildLeavesASiblingOfTheSameNameInTheMap)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* older = MakeChild(root, "door");
    CPGameObject* newer = MakeChild(root, "door");

    delete older;

    EXPECT_EQ(root->GetChildByName("door").Get(), newer);
    EXPECT_EQ(root->GetChildren().size(), 1u);
}

TEST_F(GameObjectTest, DestroyedParentLeavesItsChildrenWithoutParent)
{
    auto* parent = new CPGameObject("parent");
    CPGameObject* orphan = MakeRoot("orphan");
    parent->AddChild(CPObjectPtr(orphan));

    delete parent;

    EXPECT_EQ(orphan->GetParentObject(), nullptr);
    EXPECT_EQ(orphan->GetScriptOwner().Get(), orphan);
}

TEST_F(GameObjectTest, AddChildMovesAChildAndRefusesCycles)
{
    CPGameObject* a = MakeRoot("a");
    CPGameObject* b = MakeChild(a, "b");
    CPGameObject* c = MakeChild(b, "c");

    c->AddChild(CPObjectPtr(a)); // a would become its own descendant
    a->AddChild(CPObjectPtr(a));
    a->AddChild(CPObjectPtr());
    EXPECT_EQ(a->GetParentObject(), nullptr);
    EXPECT_EQ(a->GetChildren().size(), 1u);

    a->AddChild(CPObjectPtr(c));
    EXPECT_EQ(c->GetParentObject(), a);
    EXPECT_TRUE(b->GetChildren().empty());
    EXPECT_EQ(b->GetChildByName("c").Get(), nullptr);
    EXPECT_EQ(a->GetChildByName("c").Get(), c);
}

TEST_F(GameObjectTest, CollectObjectsListsParentsBeforeTheirChildren)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* a = MakeChild(root, "a");
    CPGameObject* a1 = MakeChild(a, "a1");
    CPGameObject* b = MakeChild(root, "b");

    std::vector<CPObjectPtr> objects;
    root->CollectObjects(objects);

    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0].Get(), root);
    EXPECT_EQ(objects[1].Get(), a);
    EXPECT_EQ(objects[2].Get(), a1);
    EXPECT_EQ(objects[3].Get(), b);
}

TEST_F(GameObjectTest, ScriptOwnerIsTheNearestObjectWithAScriptElseTheRoot)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* mid = MakeChild(root, "mid");
    CPGameObject* leaf = MakeChild(mid, "leaf");

    EXPECT_EQ(leaf->GetScriptOwner().Get(), root);
    EXPECT_EQ(root->GetScriptOwner().Get(), root);

    mid->SetOwnerObject(CPObjectPtr(&script));
    EXPECT_EQ(leaf->GetScriptOwner().Get(), mid);
    EXPECT_EQ(mid->GetScriptOwner().Get(), mid);
    EXPECT_EQ(root->GetScriptOwner().Get(), root);
}

TEST_F(GameObjectTest, SettingAScriptClearsTheTagOverTheSubtreeOnly)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* child = MakeChild(root, "child");
    CPGameObject* grandchild = MakeChild(child, "grandchild");
    auto* detail = new CPGameObject("detail");
    child->AddLod(CPObjectPtr(child), 0);
    child->AddLod(CPObjectPtr(detail), 50);

    root->SetOwnerObject(CPObjectPtr()); // nothing changes
    struct NotAScript : CPObject {
        std::uint32_t GetObjectSize() const override { return sizeof(NotAScript); }
        std::string GetTypeName() const override { return "NotAScript"; }
    } notAScript;
    root->SetOwnerObject(CPObjectPtr(&notAScript));
    EXPECT_EQ(root->GetTag(), 1);
    EXPECT_EQ(root->GetOwnerObject().Get(), nullptr);

    child->SetOwnerObject(CPObjectPtr(&script));
    EXPECT_EQ(root->GetTag(), 1);
    EXPECT_EQ(child->GetTag(), 0);
    EXPECT_EQ(grandchild->GetTag(), 0);
    EXPECT_EQ(detail->GetTag(), 1); // levels of detail are not children
    EXPECT_EQ(child->GetOwnerObject().Get(), &script);
    EXPECT_EQ(child->GetScriptObject(), &script);
}

TEST_F(GameObjectTest, MarkFollowsLevelsOfDetailAndSecondPassFollowsBoth)
{
    CPGameObject* root = MakeRoot("root");
    CPGameObject* child = MakeChild(root, "child");
    auto* near = new CPGameObject("near");
    auto* nearer = new CPGameObject("nearer");
    root->AddLod(CPObjectPtr(root), 0);
    root->AddLod(CPObjectPtr(near), 40);
    root->AddLod(CPObjectPtr(), 80);
    near->AddLod(CPObjectPtr(near), 0);
    near->AddLod(CPObjectPtr(nearer), 20);

    root->SetMarkRecursive(7);
    EXPECT_EQ(root->GetTag(), 7);
    EXPECT_EQ(near->GetTag(), 7);
    EXPECT_EQ(nearer->GetTag(), 7);
    EXPECT_EQ(child->GetTag(), 1);

    root->SetSecondPassRecursive(false);
    EXPECT_FALSE(root->HasShadow());
    EXPECT_FALSE(child->HasShadow());
    EXPECT_FALSE(near->HasShadow());
    EXPECT_FALSE(nearer->HasShadow());
}

TEST_F(GameObjectTest, PlacementReachesTheLevelsOfDetail)
{
    CPGameObject* lone = MakeRoot("lone");
    lone->AddLod(CPObjectPtr(lone), 0);
    CPGameObject* root = MakeRoot("root");
    auto* detail = new CPGameObject("detail");
    root->AddLod(CPObjectPtr(root), 0);
    root->AddLod(CPObjectPtr(detail), 30);
    root->AddLod(CPObjectPtr(), 60);
    root->SetDirty(false);

    const Vector3 where{10.0f, -2.0f, 0.5f};
    const Quaternion turn{0.0f, 0.0f, 0.70710678f, 0.70710678f};
    root->SetPosition(where);
    root->SetRotation(turn);
    lone->SetPosition(where);

    EXPECT_EQ(root->GetPosition().x, 10.0f);
    EXPECT_EQ(detail->GetPosition().y, -2.0f);
    EXPECT_EQ(detail->GetRotation().w, turn.w);
    EXPECT_FALSE(root->IsBoundsValid());
    EXPECT_FALSE(detail->IsBoundsValid());
    EXPECT_TRUE(root->IsDirty());
    EXPECT_EQ(lone->GetPosition().x, 10.0f);
}

TEST_F(GameObjectTest, PlacementMovesTheKinematicBodyElseTheRigidOne)
{
    struct Case {
        bool kinematic;
        bool rigid;
    };
    const Case cases[] = {{true, false}, {true, true}, {false, true}, {false, false}};
    const Vector3 where{4.0f, 5.0f, 6.0f};
    const Quaternion turn{0.0f, 0.0f, 1.0f, 0.0f}; // half a turn about z
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kinematic " << c.kinematic << ", rigid " << c.rigid);
        PhKinematicBody kinematicBody;
        PhRigidBody rigidBody;
        CPGameObject* object = MakeRoot("crate");
        auto* physics = new CPPhysicData(object);
        physics->SetKinematicBody(c.kinematic ? &kinematicBody : nullptr);
        physics->SetRigidBody(c.rigid ? &rigidBody : nullptr);
        object->SetPhysicData(CPObjectPtr(physics));

        object->SetPosition(where);
        object->SetRotation(turn);

        const bool kinematicMoves = c.kinematic;
        const bool rigidMoves = c.rigid && !c.kinematic;
        EXPECT_EQ(kinematicBody.position.x, kinematicMoves ? 4.0f : 0.0f);
        EXPECT_EQ(kinematicBody.position.z, kinematicMoves ? 6.0f : 0.0f);
        // Half a turn about z flips the first rotation row.
        EXPECT_EQ(kinematicBody.rotationRows[0].x, kinematicMoves ? -1.0f : 1.0f);
        EXPECT_EQ(rigidBody.GetPos().y, rigidMoves ? 5.0f : 0.0f);
        EXPECT_EQ(rigidBody.orientation.z, rigidMoves ? 1.0f : 0.0f);
        CPGameObject::DeleteTree(object);
        roots.pop_back();
    }
}

TEST_F(GameObjectTest, PhysicDataMustBePhysicData)
{
    CPGameObject* object = MakeRoot("object");
    auto* physics = new CPPhysicData(object);
    object->SetPhysicData(CPObjectPtr(physics));

    CPScriptObject notPhysics;
    object->SetPhysicData(CPObjectPtr(&notPhysics));

    EXPECT_EQ(object->GetPhysicData(), physics);
}

TEST_F(GameObjectTest, DestroyingAnObjectDeletesWhatItOwnsAndTakesItsTasksOutOfTheKernel)
{
    int animationsDeleted = 0;
    auto* object = new CPGameObject("mill");
    auto* idle = new FakePartAnimation(&animationsDeleted);
    object->SetAnimation("idle", CPObjectPtr(idle));
    object->SetAnimation("spin", CPObjectPtr(idle)); // one animation, two names
    object->SetAnimation("stop", CPObjectPtr(new FakePartAnimation(&animationsDeleted)));
    object->SetRenderObject(CPObjectPtr(new FakePartAnimation(&animationsDeleted)),
                            CPGameObject::kTaskObject);
    // The sanitized run reports the physics data if it is not deleted.
    object->SetPhysicData(CPObjectPtr(new CPPhysicData(object)));
    object->Activate(5000);
    ASSERT_EQ(kernel.GetTasks().size(), 2u);

    delete object;

    EXPECT_EQ(animationsDeleted, 3);
    EXPECT_TRUE(kernel.GetTasks().empty());
    kernel.StepTasks(0.02f);
}

TEST_F(GameObjectTest, DeleteTreeDeletesEveryObjectAndLevelOfDetailOnce)
{
    struct Counted : CPGameObject {
        Counted(const std::string& name, int* deletions) : CPGameObject(name), deletions(deletions) {}
        ~Counted() override { ++*deletions; }
        int* deletions;
    };
    int deletions = 0;
    auto* root = new Counted("root", &deletions);
    auto* child = new Counted("child", &deletions);
    auto* grandchild = new Counted("grandchild", &deletions);
    auto* lod = new Counted("lod", &deletions);
    auto* lodChild = new Counted("lodChild", &deletions);
    root->AddChild(CPObjectPtr(child));
    child->AddChild(CPObjectPtr(grandchild));
    lod->AddChild(CPObjectPtr(lodChild));
    root->AddLod(CPObjectPtr(root), 0);
    root->AddLod(CPObjectPtr(lod), 50);
    // Lists that lead back into the tree and round in a circle.
    lod->AddLod(CPObjectPtr(lod), 0);
    lod->AddLod(CPObjectPtr(root), 10);
    lod->AddLod(CPObjectPtr(grandchild), 20);
    root->Activate(5000);

    CPGameObject::DeleteTree(root);

    EXPECT_EQ(deletions, 5);
}

TEST_F(GameObjectTest, ReplacingAnAnimationOrRenderObjectDeletesTheOldOne)
{
    int deleted = 0;
    CPGameObject* object = MakeRoot("object");
    auto* first = new FakePartAnimation(&deleted);
    object->SetAnimation("walk", CPObjectPtr(first));
    object->SetAnimation("walk", CPObjectPtr(first));
    EXPECT_EQ(deleted, 0);
    object->SetAnimation("walk", CPObjectPtr(new FakePartAnimation(&deleted)));
    EXPECT_EQ(deleted, 1);

    object->SetRenderObject(CPObjectPtr(new FakePartAnimation(&deleted)), CPGameObject::kTaskObject);
    object->SetRenderObject(CPObjectPtr(new CPRenderObject(object)), CPGameObject::kMeshObject);
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(object->GetRenderKind(), CPGameObject::kMeshObject);

    CPGameObject::DeleteTree(object);
    roots.clear();
    EXPECT_EQ(deleted, 3);
}

TEST_F(GameObjectTest, NewObjectDefaults)
{
    CPGameObject* object = MakeRoot("barrel");

    EXPECT_EQ(object->GetTypeName(), "CPGameObject - barrel");
    EXPECT_EQ(object->GetObjectSize(), sizeof(CPGameObject));
    EXPECT_EQ(object->GetRenderKind(), CPGameObject::kNoRenderObject);
    EXPECT_EQ(object->GetFlameEffect(), -1);
    EXPECT_EQ(object->GetNumber(), 45);
    EXPECT_EQ(object->GetColour(), 0xFF4E4E4Eu);
    EXPECT_EQ(object->GetTag(), 1);
    EXPECT_TRUE(object->IsVisible());
    EXPECT_TRUE(object->IsPickable());
    EXPECT_TRUE(object->HasShadow());
    EXPECT_TRUE(object->IsDirty());
    EXPECT_TRUE(object->IsBoundsValid());
    EXPECT_FALSE(object->IsActive());
    EXPECT_EQ(object->GetRotation().w, 1.0f);
    EXPECT_EQ(object->GetWorldMatrix().m[3][3], 1.0f);
    EXPECT_EQ(object->GetWorldMatrix().m[0][0], 1.0f);
}
