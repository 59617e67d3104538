#include "core/GameObject.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/AnimatedObject.h"
#include "Render/Animation.h"
#include "Render/EffectManager.h"
#include "Render/Light.h"
#include "Render/PartAnimation.h"
#include "Render/ParticleSystem.h"
#include "Render/RenderObject.h"
#include "Render/Sprite.h"
#include "core/GameClock.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "physics/PhysicData.h"
#include "platform/Math.h"
#include "support/TestEngine.h"
#include "support/EffectFakes.h"
#include "support/MathExpect.h"
#include "support/ScratchFolder.h"
#include "core/ServiceOverride.h"

namespace {

// Stands in for a shared material: the objects only hold it.
class StandInMaterial : public CPObject {
  public:
    std::uint32_t GetObjectSize() const override { return sizeof(StandInMaterial); }
    std::string GetTypeName() const override { return "StandInMaterial"; }
};

// Counts how often its chain restarts it; clones count into the same place.
struct CountingEffect : CPVertexEffect {
    explicit CountingEffect(int* resets) : resets(resets) {}
    void Update(float) override {}
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override
    {
        CopyVertices(out, in, count);
    }
    std::unique_ptr<CPVertexEffect> Clone() const override { return std::make_unique<CountingEffect>(*this); }
    void Reset() override { ++*resets; }
    int* resets;
};

Vector3 Translation(const Matrix4& matrix) { return {matrix.m[3][0], matrix.m[3][1], matrix.m[3][2]}; }

CPGameObject* ChildNamed(CPGameObject* parent, const std::string& name)
{
    return parent->GetChildByName(name).As<CPGameObject>();
}

// Three keys a unit apart along x, a second a segment.
void GiveTrack(CPPartAnimation& animation)
{
    const std::vector<Matrix4> keys = {TranslationMatrix(0, 0, 0), TranslationMatrix(1, 0, 0),
                                       TranslationMatrix(2, 0, 0)};
    ASSERT_TRUE(animation.SetKeys(keys, {1.0f, 1.0f, 1.0f}));
}

class GameObjectBuildTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        spark = new RecordingEffectPrototype();
        manager.RegisterPrototype("spark", spark);
        CPEmitterDesc emitter;
        emitter.effectName = "spark";
        emitter.direction = {0, 0, 1};
        manager.RegisterEmitter("ember", emitter);
    }
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
    // One triangle whose vertices all sit at x = tagX, so copies can be told
    // from one another by their geometry.
    static CPRenderObject* GiveMesh(CPGameObject* object, float tagX)
    {
        auto* mesh = new CPRenderObject(object);
        for (float y : {0.0f, 1.0f, 2.0f}) {
            CPMeshVertex vertex;
            vertex.position = {tagX, y, 0};
            mesh->GetVertices().push_back(vertex);
        }
        mesh->GetWorldVertices() = mesh->GetVertices();
        mesh->GetIndices() = {0, 1, 2};
        object->SetRenderObject(CPObjectPtr(mesh), CPGameObject::kMeshObject);
        return mesh;
    }
    // A prototype flame system: ticks every 0.5 s, one "spark" request each.
    int AddFlamePrototype()
    {
        auto* system = new CPParticleSystem(nullptr, {"ember"});
        system->SetLifetime(30.0f);
        return manager.AddParticleSystem(system);
    }
    CPGameObject* Build(CPGameObject* prototype)
    {
        CPGameObject* copy = MakeRoot("fresh");
        copy->Build(CPObjectPtr(prototype));
        return copy;
    }

    // Declared first so that it outlives the objects that report to it.
    CPScriptObject script;
    std::vector<std::unique_ptr<CPAnimation>> animations; // the cache's part
    StandInMaterial paint, fire, shadow;
    TestEngine engine;
    CPKernel& kernel = engine.services->Kernel();
    CPObjectRegistry& registry = engine.services->Registry();
    CPEffectManager& manager = engine.services->EffectManager();
    RecordingEffectPrototype* spark = nullptr;
    std::vector<CPGameObject*> roots;
};

} // namespace

TEST_F(GameObjectBuildTest, ThreeLevelsBecomeANewTreeWithItsOwnRenderObjects)
{
    // car -> body -> door, car -> wheel; the car stands at (10, 0, 0) and
    // the body 5 above it.
    CPGameObject* car = MakeRoot("car");
    CPGameObject* body = MakeChild(car, "body");
    CPGameObject* door = MakeChild(body, "door");
    CPGameObject* wheel = MakeChild(car, "wheel");
    for (CPGameObject* part : {car, body, door, wheel})
        GiveMesh(part, float(part->GetName().size()));
    car->SetPosition({10, 0, 0});
    body->SetPosition({0, 0, 5});
    door->SetPosition({0, 1, 0});
    car->UpdateBounds();

    CPGameObject* copy = Build(car);

    EXPECT_EQ(copy->GetName(), "car");
    ASSERT_EQ(copy->GetChildren().size(), 2u);
    EXPECT_EQ(copy->GetChildAt(0)->GetName(), "body");
    EXPECT_EQ(copy->GetChildAt(1)->GetName(), "wheel");
    CPGameObject* newBody = ChildNamed(copy, "body");
    CPGameObject* newWheel = ChildNamed(copy, "wheel");
    ASSERT_TRUE(newBody && newWheel);
    CPGameObject* newDoor = ChildNamed(newBody, "door");
    ASSERT_TRUE(newDoor);
    EXPECT_EQ(copy->FindObjectInTree("door").Get(), newDoor);

    const std::vector<std::pair<CPGameObject*, CPGameObject*>> pairs = {
        {car, copy}, {body, newBody}, {door, newDoor}, {wheel, newWheel}};
    for (const auto& [original, built] : pairs) {
        SCOPED_TRACE(original->GetName());
        EXPECT_NE(built, original);
        auto* mesh = built->GetRenderObject().As<CPRenderObject>();
        ASSERT_TRUE(mesh);
        EXPECT_NE(mesh, original->GetRenderObject().Get());
        EXPECT_EQ(mesh->GetOwner(), built);
        ASSERT_EQ(mesh->GetVertexCount(), 3);
        EXPECT_EQ(mesh->GetVertices()[0].position.x, float(original->GetName().size()));
        EXPECT_EQ(built->GetRenderKind(), CPGameObject::kMeshObject);
    }
    EXPECT_EQ(newBody->GetParentObject(), copy);
    EXPECT_EQ(newWheel->GetParentObject(), copy);
    EXPECT_EQ(newDoor->GetParentObject(), newBody);
    EXPECT_EQ(copy->GetParentObject(), nullptr);

    // Placed through the new tree: (10,0,0) + (0,0,5) + (0,1,0).
    EXPECT_TRUE(Near(Translation(newDoor->GetWorldMatrix()), {10, 1, 5}));
    EXPECT_TRUE(
        Near(Translation(newDoor->GetRenderObject().As<CPRenderObject>()->GetTransform()), {10, 1, 5}));

    // Moving the copy leaves the prototype where it was.
    copy->SetPosition({-4, 0, 0});
    copy->UpdateBounds();
    EXPECT_TRUE(Near(Translation(newDoor->GetWorldMatrix()), {-4, 1, 5}));
    EXPECT_TRUE(Near(Translation(door->GetWorldMatrix()), {10, 1, 5}));
    EXPECT_EQ(car->GetChildren().size(), 2u);
    EXPECT_EQ(door->GetParentObject(), body);
}

TEST_F(GameObjectBuildTest, EachRenderKindIsCopiedForTheNewOwner)
{
    // Light: the whole record.
    CPGameObject* lamp = MakeRoot("lamp");
    auto* light = new CPLight();
    light->GetLight().type = platform::LightType::Spot;
    light->GetLight().diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
    light->GetLight().range = 40.0f;
    light->GetLight().phi = 0.75f;
    lamp->SetRenderObject(CPObjectPtr(light), CPGameObject::kLight);
    CPGameObject* lampCopy = Build(lamp);
    auto* copiedLight = lampCopy->GetRenderObject().As<CPLight>();
    ASSERT_TRUE(copiedLight);
    EXPECT_NE(copiedLight, light);
    EXPECT_EQ(copiedLight->GetOwner(), lampCopy);
    EXPECT_EQ(copiedLight->GetLight().type, platform::LightType::Spot);
    EXPECT_EQ(copiedLight->GetLight().diffuse.g, 0.25f);
    EXPECT_EQ(copiedLight->GetLight().range, 40.0f);
    EXPECT_EQ(copiedLight->GetLight().phi, 0.75f);

    // Sprite: size, shared material, cone, and effects of its own; the
    // colour starts afresh.
    int resets = 0;
    CPGameObject* glow = MakeRoot("glow");
    auto* sprite = new CPSprite(2.5f);
    sprite->SetMaterial(CPObjectPtr(&paint));
    sprite->SetAngle(0.5f);
    sprite->SetDirection({0, 1, 0});
    sprite->SetConeLimit(0.3f);
    sprite->SetColour(0x80808080);
    sprite->SetHasEffects(true);
    sprite->GetEffects().Add(std::make_unique<CountingEffect>(&resets));
    glow->SetRenderObject(CPObjectPtr(sprite), CPGameObject::kSprite);
    CPGameObject* glowCopy = Build(glow);
    auto* copiedSprite = glowCopy->GetRenderObject().As<CPSprite>();
    ASSERT_TRUE(copiedSprite);
    EXPECT_NE(copiedSprite, sprite);
    EXPECT_EQ(copiedSprite->GetOwner(), glowCopy);
    EXPECT_EQ(copiedSprite->GetSize(), 2.5f);
    CPObjectPtr material;
    copiedSprite->GetMaterial(material);
    EXPECT_EQ(material.Get(), &paint);
    EXPECT_EQ(copiedSprite->GetAngle(), 0.5f);
    EXPECT_TRUE(Near(copiedSprite->GetDirection(), {0, 1, 0}));
    EXPECT_EQ(copiedSprite->GetConeLimit(), 0.3f);
    EXPECT_EQ(copiedSprite->GetColour(), 0xFFFFFFFFu);
    EXPECT_TRUE(copiedSprite->HasEffects());
    ASSERT_EQ(copiedSprite->GetEffects().GetSize(), 1u);
    EXPECT_NE(copiedSprite->GetEffects().Get(0), sprite->GetEffects().Get(0));

    // Animated object: its animations and playing state, its own owner.
    auto* walk = new CPAnimation("walk");
    animations.emplace_back(walk);
    CPGameObject* monster = MakeRoot("monster");
    auto* animated = new CPAnimatedObject();
    animated->SetOwner(monster);
    animated->AddAnimation("walk", CPObjectPtr(walk));
    monster->SetRenderObject(CPObjectPtr(animated), CPGameObject::kAnimatedObject);
    CPGameObject* monsterCopy = Build(monster);
    auto* copiedAnimated = monsterCopy->GetRenderObject().As<CPAnimatedObject>();
    ASSERT_TRUE(copiedAnimated);
    EXPECT_NE(copiedAnimated, animated);
    EXPECT_EQ(copiedAnimated->GetOwner(), monsterCopy);
    EXPECT_EQ(copiedAnimated->GetAnimation(), walk);

    // Particle system: a duplicate task that places itself by the copy.
    CPGameObject* torch = MakeRoot("torch");
    auto* system = new CPParticleSystem(torch, {"ember"});
    ASSERT_TRUE(system->SetInterval(0.25f));
    torch->SetRenderObject(CPObjectPtr(system), CPGameObject::kTaskObject);
    CPGameObject* torchCopy = Build(torch);
    auto* copiedSystem = torchCopy->GetRenderObject().As<CPParticleSystem>();
    ASSERT_TRUE(copiedSystem);
    EXPECT_NE(copiedSystem, system);
    EXPECT_EQ(copiedSystem->GetOwner(), torchCopy);
    EXPECT_EQ(copiedSystem->GetInterval(), 0.25f);
    EXPECT_EQ(torchCopy->GetRenderKind(), CPGameObject::kTaskObject);
    torchCopy->Activate(300);
    EXPECT_TRUE(copiedSystem->IsRunning());
    EXPECT_FALSE(system->IsRunning());
}

TEST_F(GameObjectBuildTest, APrototypeWithoutItsRenderObjectGivesACopyWithoutOne)
{
    LogCapture log;
    // A mesh object that lost its mesh, and a part animation as a task
    // render object, which cannot duplicate itself: both copies have none,
    // but the rest of the tree is still copied.
    CPGameObject* empty = MakeRoot("empty");
    empty->SetRenderObject(CPObjectPtr(), CPGameObject::kMeshObject);
    MakeChild(empty, "inside");
    CPGameObject* swing = MakeChild(empty, "swing");
    auto* track = new CPPartAnimation();
    GiveTrack(*track);
    swing->SetRenderObject(CPObjectPtr(track), CPGameObject::kTaskObject);

    CPGameObject* copy = Build(empty);
    EXPECT_FALSE(copy->GetRenderObject());
    EXPECT_EQ(copy->GetRenderKind(), CPGameObject::kNoRenderObject);
    ASSERT_EQ(copy->GetChildren().size(), 2u);
    CPGameObject* swingCopy = ChildNamed(copy, "swing");
    ASSERT_TRUE(swingCopy);
    EXPECT_FALSE(swingCopy->GetRenderObject());
    EXPECT_EQ(swingCopy->GetRenderKind(), CPGameObject::kNoRenderObject);
    swingCopy->Activate(100); // nothing to start, nothing to trip over
    EXPECT_TRUE(kernel.GetTasks().empty());
    EXPECT_TRUE(log.Contains("empty")) << log.Text();
    EXPECT_TRUE(log.Contains("swing")) << log.Text();

    // An object without a render object is nothing to report.
    CPGameObject* group = MakeRoot("group");
    LogCapture quiet;
    Build(group);
    EXPECT_EQ(quiet.Text(), "");
}

TEST_F(GameObjectBuildTest, RefusesToBuildFromNothingOrFromItsOwnTree)
{
    LogCapture log;
    CPGameObject* root = MakeRoot("root");
    CPGameObject* child = MakeChild(root, "child");

    root->Build(CPObjectPtr());
    root->Build(CPObjectPtr(&paint));
    root->Build(CPObjectPtr(root));
    child->Build(CPObjectPtr(root));

    EXPECT_EQ(root->GetName(), "root");
    EXPECT_EQ(root->GetChildren().size(), 1u);
    EXPECT_TRUE(child->GetChildren().empty());
    EXPECT_TRUE(log.Contains("no game object to build from")) << log.Text();
    EXPECT_TRUE(log.Contains("cannot be built from root")) << log.Text();
}

TEST_F(GameObjectBuildTest, CopiedIdleAnimationIsASeparateLoopingTask)
{
    CPGameObject* fan = MakeRoot("fan");
    auto* idle = new CPPartAnimation();
    GiveTrack(*idle);
    idle->SetOwner(fan);
    fan->SetAnimation("idle", CPObjectPtr(idle));
    auto* wave = new CPPartAnimation();
    GiveTrack(*wave);
    wave->SetOwner(fan);
    fan->SetAnimation("wave", CPObjectPtr(wave));

    CPGameObject* copy = Build(fan);
    auto* copiedIdle = copy->GetIdleAnimation().As<CPPartAnimation>();
    ASSERT_TRUE(copiedIdle);
    EXPECT_NE(copiedIdle, idle);
    EXPECT_EQ(copy->GetAnimations().at("idle").Get(), copiedIdle);
    EXPECT_TRUE(copiedIdle->IsLooping());
    EXPECT_EQ(copiedIdle->GetOwner(), copy);
    EXPECT_EQ(copiedIdle->GetKeys().size(), 3u);
    auto* copiedWave = copy->GetAnimations().at("wave").As<CPPartAnimation>();
    ASSERT_TRUE(copiedWave);
    EXPECT_NE(copiedWave, wave);
    EXPECT_FALSE(copiedWave->IsLooping());

    // Only the copy's idle runs, and it moves only the copy: after 0.5 s
    // the copy stands halfway to the second key.
    copy->Activate(100);
    ASSERT_EQ(kernel.GetTasks().size(), 1u);
    EXPECT_EQ(kernel.GetTasks().front().Get(), copiedIdle);
    kernel.StepTasks(0.5f);
    EXPECT_TRUE(Near(Translation(copy->GetWorldMatrix()), {0.5f, 0, 0}));
    EXPECT_EQ(idle->GetElapsed(), 0.0f);
    EXPECT_TRUE(Near(Translation(fan->GetWorldMatrix()), {0, 0, 0}));
}

TEST_F(GameObjectBuildTest, CopiesPlacementFlagsMaterialsBoxesAndPhysics)
{
    CPGameObject* crate = MakeRoot("crate");
    crate->SetPosition({10, 0, 0});
    const Quaternion quarterTurn = {0, 0, 0.70710678f, 0.70710678f}; // +90 degrees about z
    crate->SetRotation(quarterTurn);
    crate->SetShadowMaterial(CPObjectPtr(&shadow));
    crate->SetFireMaterial(CPObjectPtr(&fire));
    crate->SetFlameEffect(3);
    crate->SetVisible(false);
    crate->SetShadow(false);
    crate->SetOwnerObject(CPObjectPtr(&script)); // clears the tag
    crate->SetTag(7);
    crate->SetLabel("barrel");
    crate->GetDescription().Parse("<object armour=\"12\"/>");
    CPBoundingBox oriented({0, 0, 1}, {1, 1, 1});
    crate->SetBoundingBox(oriented);
    // A unit part box placed 2 along the crate's x.
    CPBoundingBox part({0, 0, 0}, {1, 1, 1});
    part.localMatrix = TranslationMatrix(2, 0, 0);
    crate->GetPartBoxes().push_back(part);
    auto* crateBody = new CPPhysicData(crate);
    crateBody->SetBodyKind(2);
    crateBody->SetCylinderDiameter(0.75f);
    crate->SetPhysicData(CPObjectPtr(crateBody));
    crate->UpdateBounds();

    CPGameObject* copy = Build(crate);

    EXPECT_TRUE(Near(copy->GetPosition(), {10, 0, 0}));
    EXPECT_FLOAT_EQ(copy->GetRotation().z, quarterTurn.z);
    EXPECT_EQ(copy->GetShadowMaterial().Get(), &shadow);
    EXPECT_EQ(copy->GetFireMaterial().Get(), &fire);
    EXPECT_EQ(copy->GetFlameEffect(), 3);
    EXPECT_FALSE(copy->IsVisible());
    EXPECT_FALSE(copy->HasShadow());
    EXPECT_EQ(copy->GetTag(), 7);
    EXPECT_EQ(copy->GetLabel(), "barrel");
    EXPECT_EQ(copy->GetScriptObject(), &script);
    const TiXmlElement* description = copy->GetDescription().RootElement();
    ASSERT_TRUE(description);
    EXPECT_STREQ(description->Attribute("armour"), "12");

    // Rebuilt in place: the part lies at (10,0,0) + the turned (2,0,0),
    // that is (10,2,0), one unit each way.
    EXPECT_TRUE(copy->IsBoundsValid());
    EXPECT_FALSE(copy->IsDirty());
    ASSERT_EQ(copy->GetPartBoxes().size(), 1u);
    EXPECT_TRUE(Near(copy->GetPartBoxes()[0].minimum, {9, 1, -1}, 1e-4f));
    EXPECT_TRUE(Near(copy->GetPartBoxes()[0].maximum, {11, 3, 1}, 1e-4f));
    EXPECT_TRUE(Near(copy->GetBoundingBox().halfExtents, {1, 1, 1}));

    CPPhysicData* physics = copy->GetPhysicData();
    ASSERT_TRUE(physics);
    EXPECT_NE(physics, crate->GetPhysicData());
    EXPECT_EQ(physics->GetOwner(), copy);
    EXPECT_EQ(physics->GetBodyKind(), 2);
    EXPECT_FLOAT_EQ(physics->GetCylinderDiameter(), 0.75f);
}

TEST_F(GameObjectBuildTest, RestartZeroLeavesThePlayingNameButReachesTheChildren)
{
    auto* walk = new CPAnimation("walk");
    auto* run = new CPAnimation("run");
    animations.emplace_back(walk);
    animations.emplace_back(run);
    int rootResets = 0, childResets = 0;
    auto animatedWith = [&](CPGameObject* object, int* resets, const char* playing) {
        auto* animated = new CPAnimatedObject();
        animated->SetOwner(object);
        animated->SetHasEffects(true);
        animated->GetEffects().Add(std::make_unique<CountingEffect>(resets));
        animated->AddAnimation("walk", CPObjectPtr(walk));
        animated->AddAnimation("run", CPObjectPtr(run));
        CPAnimationRequest start;
        start.name = playing;
        EXPECT_TRUE(animated->StartAnimation(start, true, 0.0));
        *resets = 0;
        object->SetRenderObject(CPObjectPtr(animated), CPGameObject::kAnimatedObject);
        return animated;
    };
    CPGameObject* root = MakeRoot("root");
    CPAnimatedObject* rootAnimated = animatedWith(root, &rootResets, "walk");
    // The child sits under a group with no render object.
    CPGameObject* child = MakeChild(MakeChild(root, "group"), "child");
    CPAnimatedObject* childAnimated = animatedWith(child, &childResets, "run");
    ASSERT_EQ(rootAnimated->GetName(), "walk");
    ASSERT_EQ(childAnimated->GetName(), "run");

    CPAnimationRequest request;
    request.name = "walk";
    root->StartAnimation(request, false);
    EXPECT_EQ(rootResets, 0); // left playing as it was
    EXPECT_EQ(childResets, 1);
    EXPECT_EQ(childAnimated->GetName(), "walk");
    EXPECT_EQ(childAnimated->GetAnimation(), walk);

    // A restart starts both over; an unknown name starts nothing anywhere.
    root->StartAnimation(request, true);
    EXPECT_EQ(rootResets, 1);
    EXPECT_EQ(childResets, 2);
    request.name = "fly";
    root->StartAnimation(request, true);
    EXPECT_EQ(rootAnimated->GetName(), "walk");
    EXPECT_EQ(childResets, 2);
}

TEST_F(GameObjectBuildTest, FlameStartsOncePerIndexInItsOwnChild)
{
    const int flameIndex = AddFlamePrototype();
    CPGameObject* hut = MakeRoot("hut");
    hut->SetPosition({3, 4, 5});
    hut->SetFlameEffect(flameIndex);
    CPGameObject* roof = MakeChild(hut, "roof"); // no flame of its own
    CPGameObject* chimney = MakeChild(roof, "chimney");
    chimney->SetPosition({0, 0, 2});
    chimney->SetFlameEffect(flameIndex);
    hut->UpdateBounds();

    hut->StartFlame(1.0f);

    CPGameObject* flame = ChildNamed(hut, "flame");
    ASSERT_TRUE(flame);
    EXPECT_EQ(flame->GetParentObject(), hut);
    EXPECT_EQ(flame->GetRenderKind(), CPGameObject::kTaskObject);
    auto* system = flame->GetRenderObject().As<CPParticleSystem>();
    ASSERT_TRUE(system);
    EXPECT_EQ(system->GetOwner(), flame);
    EXPECT_TRUE(system->IsRunning());
    EXPECT_EQ(system->GetPriority(), 200);
    EXPECT_TRUE(Near(Translation(flame->GetWorldMatrix()), {3, 4, 5}));
    EXPECT_FALSE(ChildNamed(roof, "flame"));
    CPGameObject* chimneyFlame = ChildNamed(chimney, "flame");
    ASSERT_TRUE(chimneyFlame);
    EXPECT_NE(chimneyFlame->GetRenderObject().Get(), system);
    EXPECT_EQ(hut->GetFlameEffect(), -1);
    EXPECT_EQ(chimney->GetFlameEffect(), -1);
    ASSERT_EQ(kernel.GetTasks().size(), 2u);

    // Each flame burns where its object stands.
    kernel.StepTasks(0.6f);
    ASSERT_EQ(spark->spawns.size(), 2u);
    EXPECT_TRUE(Near(spark->spawns[0].position, {3, 4, 5}));
    EXPECT_TRUE(Near(spark->spawns[1].position, {3, 4, 7}));

    // A second call starts nothing more.
    hut->StartFlame(1.0f);
    EXPECT_EQ(hut->GetChildren().size(), 2u);
    EXPECT_EQ(chimney->GetChildren().size(), 1u);
    EXPECT_EQ(kernel.GetTasks().size(), 2u);

    // The flames go out with their tree.
    hut->Activate(100);
    hut->Deactivate();
    kernel.StepTasks(0.6f);
    EXPECT_EQ(spark->spawns.size(), 2u);
    EXPECT_TRUE(kernel.GetTasks().empty());
}

TEST_F(GameObjectBuildTest, FlameIndexWithoutAPrototypeStartsNothingAndIsUsedUp)
{
    const int flameIndex = AddFlamePrototype();
    LogCapture log;
    CPGameObject* hut = MakeRoot("hut");
    CPGameObject* shed = MakeChild(hut, "shed");
    shed->SetFlameEffect(flameIndex);
    // Past the end, far past it (a number from data), and a negative
    // index other than -1, which means no flame as -1 does.
    for (std::int32_t bad : {flameIndex + 1, 1000000, -5}) {
        SCOPED_TRACE(bad);
        hut->SetFlameEffect(bad);
        hut->StartFlame(0.5f);
        EXPECT_EQ(hut->GetChildren().size(), 1u);
        EXPECT_EQ(hut->GetFlameEffect(), bad < 0 ? bad : -1);
    }
    EXPECT_TRUE(log.Contains("No particle system " + std::to_string(flameIndex + 1))) << log.Text();
    // The children were visited all the same.
    EXPECT_TRUE(ChildNamed(shed, "flame"));
    EXPECT_EQ(kernel.GetTasks().size(), 1u);

    // Without an effect manager there is nothing to copy from.
    ServiceOverride<GetFlameSource, SetFlameSource> noFlameSource(nullptr);
    hut->SetFlameEffect(flameIndex);
    hut->StartFlame(0.5f);
    EXPECT_EQ(hut->GetChildren().size(), 1u);
    EXPECT_EQ(hut->GetFlameEffect(), -1);
    EXPECT_TRUE(log.Contains("no effect manager")) << log.Text();
}

TEST_F(GameObjectBuildTest, FireGoesOnlyOnMeshesAndAnimatedObjectsButReachesEveryChild)
{
    CPGameObject* lamp = MakeRoot("lamp");
    lamp->SetRenderObject(CPObjectPtr(new CPLight()), CPGameObject::kLight);
    lamp->SetFireMaterial(CPObjectPtr(&fire));
    CPGameObject* glow = MakeChild(lamp, "glow");
    auto* sprite = new CPSprite(1.0f);
    sprite->SetMaterial(CPObjectPtr(&paint));
    glow->SetRenderObject(CPObjectPtr(sprite), CPGameObject::kSprite);
    glow->SetFireMaterial(CPObjectPtr(&fire));
    CPGameObject* shade = MakeChild(glow, "shade");
    CPRenderObject* mesh = GiveMesh(shade, 0);
    mesh->SetMaterial(CPObjectPtr(&paint));
    shade->SetFireMaterial(CPObjectPtr(&fire));

    lamp->AttachRenderObject();

    CPObjectPtr material;
    sprite->GetMaterial(material);
    EXPECT_EQ(material.Get(), &paint);
    mesh->GetMaterial(material);
    EXPECT_EQ(material.Get(), &fire);
}
