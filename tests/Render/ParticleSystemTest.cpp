#include "Render/ParticleSystem.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "Render/AnimatedObject.h"
#include "Render/EffectManager.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "platform/Math.h"
#include "platform/Random.h"
#include "support/TestEngine.h"
#include "support/EffectFakes.h"
#include "support/GameObjectFakes.h"
#include "support/ScratchFolder.h"

namespace {

// Seed 1 gives 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, ...
double Fraction(int r) { return r / 32767.0; }
double Radians(double degrees) { return degrees * 3.14159265358979 / 180.0; }

CPEmitterDesc Emitter(const std::string& effect, const Vector3& direction, float speed, int cone,
                      const Vector3& spread)
{
    CPEmitterDesc emitter;
    emitter.effectName = effect;
    emitter.direction = direction;
    emitter.speed = speed;
    emitter.coneAngle = cone;
    emitter.spread = spread;
    return emitter;
}

class ParticleSystemTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::SeedRand(1);
        spark = new RecordingEffectPrototype();
        smoke = new RecordingEffectPrototype();
        manager.RegisterPrototype("spark", spark);
        manager.RegisterPrototype("smoke", smoke);
        CPEmitterDesc up = Emitter("spark", {0, 0, 3}, 10.0f, 0, {1, 2, 0});
        up.paramA = 1.5f;
        up.paramB = 2.5f;
        up.paramD = 3.5f;
        up.vectorC = {0, 0, -9.8f};
        up.flag = 1;
        manager.RegisterEmitter("up", up);
        manager.RegisterEmitter("side", Emitter("smoke", {1, 0, 0}, 2.0f, 90, {0, 0, 0}));
    }
    void TearDown() override
    {
        for (CPParticleSystem* system : systems) {
            kernel.RemoveTask(system);
            delete system;
        }
    }

    CPParticleSystem* Make(CPGameObject* owner, std::vector<std::string> names)
    {
        systems.push_back(new CPParticleSystem(owner, std::move(names)));
        return systems.back();
    }
    void Run(CPParticleSystem* system, std::initializer_list<float> frames)
    {
        CPObjectPtr task(system);
        if (!system->IsRunning())
            kernel.AddTask(task);
        for (float dt : frames)
            kernel.StepTasks(dt);
    }

    CPScriptObject script; // outlives what reports to it
    TestEngine engine;
    CPEffectManager& manager = engine.services->EffectManager();
    CPObjectRegistry& registry = engine.services->Registry();
    CPKernel& kernel = engine.services->Kernel();
    RecordingEffectPrototype* spark = nullptr;
    RecordingEffectPrototype* smoke = nullptr;
    std::vector<CPParticleSystem*> systems;
};

} // namespace

TEST_F(ParticleSystemTest, BuildsFromTheManagersEmittersAndNormalisesThem)
{
    CPParticleSystem* system = Make(nullptr, {"up", "missing", "side"});
    ASSERT_EQ(system->GetEmitters().size(), 2u);
    EXPECT_EQ(system->GetEmitterNames().size(), 3u);
    EXPECT_EQ(system->GetEmitters()[0].direction.z, 1.0f);
    EXPECT_EQ(manager.FindEmitter("up")->direction.z, 1.0f); // the manager's record too
    EXPECT_EQ(system->GetTaskType(), 1);
    EXPECT_EQ(system->GetPriority(), 5000);
    EXPECT_EQ(system->GetTypeName(), "CPParticleSystem");
}

TEST_F(ParticleSystemTest, TicksOnlyWhenTheAccumulatorPassesTheInterval)
{
    CPParticleSystem* system = Make(nullptr, {"up"});
    Run(system, {0.5f});
    EXPECT_EQ(spark->spawns.size(), 0u); // equal is not past
    Run(system, {0.5f});
    EXPECT_EQ(spark->spawns.size(), 1u);

    // Three intervals at once from empty: two ticks now, the third next frame.
    CPParticleSystem* burst = Make(nullptr, {"side"});
    Run(burst, {1.5f});
    EXPECT_EQ(smoke->spawns.size(), 2u);
    EXPECT_FLOAT_EQ(burst->GetAccumulator(), 0.5f);
    Run(burst, {0.01f});
    EXPECT_EQ(smoke->spawns.size(), 3u);
}

TEST_F(ParticleSystemTest, EmitsAChainOfSeededRequestsWithoutAnOwner)
{
    CPParticleSystem* system = Make(nullptr, {"up", "side"});
    Run(system, {0.6f});
    ASSERT_EQ(spark->spawns.size(), 1u);
    EXPECT_TRUE(smoke->spawns.empty()); // the chain goes to the head's prototype
    const auto& head = spark->spawns[0];
    EXPECT_EQ(head.chainNames, std::vector<std::string>{"smoke"});

    // Position: x and y in the spread box, no owner translation.
    EXPECT_NEAR(head.position.x, Fraction(41) * 2 - 1, 1e-6);
    EXPECT_NEAR(head.position.y, Fraction(18467) * 4 - 2, 1e-6);
    EXPECT_EQ(head.position.z, 0.0f);
    // Cone angle 0 along +z: straight up at full speed, no pitch drawn.
    EXPECT_NEAR(head.velocity.x, 0.0, 1e-6);
    EXPECT_NEAR(head.velocity.y, 0.0, 1e-6);
    EXPECT_NEAR(head.velocity.z, 10.0, 1e-5);
    EXPECT_EQ(head.word3, 1.5f);
    EXPECT_EQ(head.word2, 2.5f);
    EXPECT_EQ(head.word1, 3.5f);
    EXPECT_EQ(head.vectorC.z, -9.8f);
    EXPECT_EQ(head.flag1, 1);
    EXPECT_EQ(head.flag2, 0);

    // Draws: 41, 18467, 6334 position; 26500 yaw. Second request: 19169,
    // 15724, 11478 position; 29358 % 360 = 198 yaw; 26962 % 45 = 7 pitch;
    // then the manager's yaw draw 24464 % 360 = 344 for the head.
    EXPECT_NEAR(head.yaw, Radians(344), 1e-5);
    // Rebuild the second request's velocity by hand: the cone vector
    // 2 (sin 7 cos 198, sin 7 sin 198, cos 7) turned from +z onto +x,
    // which takes (a, b, c) to (c, b, -a).
    kernel.RemoveTask(system);
    platform::SeedRand(1);
    CPParticleSystem* again = Make(nullptr, {"side"});
    Run(again, {0.6f});
    // Alone the side request draws 41, 18467, 6334, then yaw 26500 % 360 =
    // 220 and pitch 19169 % 45 = 44.
    ASSERT_EQ(smoke->spawns.size(), 1u);
    const Vector3 v = smoke->spawns[0].velocity;
    const double s = std::sin(Radians(44)), c = std::cos(Radians(44));
    EXPECT_NEAR(v.x, 2 * c, 1e-5);
    EXPECT_NEAR(v.y, 2 * s * std::sin(Radians(220)), 1e-5);
    EXPECT_NEAR(v.z, -2 * s * std::cos(Radians(220)), 1e-5);
}

TEST_F(ParticleSystemTest, OwnerPlacesTheHeadAndTurnsEveryVelocity)
{
    CPGameObject owner("torch");
    owner.SetPosition({10, 20, 30});
    owner.SetRotation({0, 0, std::sin(0.25f * 3.14159265f), std::cos(0.25f * 3.14159265f)}); // +90 about z
    owner.UpdateBounds();
    manager.RegisterEmitter("east", Emitter("smoke", {1, 0, 0}, 2.0f, 0, {0, 0, 0}));

    CPParticleSystem* system = Make(&owner, {"east", "east"});
    Run(system, {0.6f});
    ASSERT_EQ(smoke->spawns.size(), 1u);
    const auto& head = smoke->spawns[0];
    EXPECT_NEAR(head.position.x, 10.0, 1e-5);
    EXPECT_NEAR(head.position.y, 20.0, 1e-5);
    EXPECT_NEAR(head.position.z, 30.0, 1e-5);
    // +x in the owner's frame is +y in the world; no translation.
    EXPECT_NEAR(head.velocity.x, 0.0, 1e-5);
    EXPECT_NEAR(head.velocity.y, 2.0, 1e-5);
    EXPECT_NEAR(head.velocity.z, 0.0, 1e-5);
    ASSERT_EQ(head.chainNames.size(), 1u);
}

TEST_F(ParticleSystemTest, StraightDownEmitsDownwards)
{
    manager.RegisterEmitter("down", Emitter("smoke", {0, 0, -1}, 4.0f, 0, {0, 0, 0}));
    CPParticleSystem* system = Make(nullptr, {"down"});
    Run(system, {0.6f});
    ASSERT_EQ(smoke->spawns.size(), 1u);
    EXPECT_NEAR(smoke->spawns[0].velocity.z, -4.0, 1e-5);
    EXPECT_NEAR(smoke->spawns[0].velocity.x, 0.0, 1e-5);
}

TEST_F(ParticleSystemTest, AgesByTheFrameTimeAndEndsAfterItsLifetime)
{
    // The flame's owner burns (takes its fire material) at half its life.
    CPGameObject fire("fire material"); // outlives the owner that holds it
    CPGameObject owner("torch");
    auto* animated = new CPAnimatedObject();
    owner.SetRenderObject(CPObjectPtr(animated), CPGameObject::kAnimatedObject);
    owner.SetFireMaterial(CPObjectPtr(&fire));
    script.Begin();
    owner.SetOwnerObject(CPObjectPtr(&script));

    CPParticleSystem* system = Make(&owner, {"up"});
    system->SetLifetime(1.0f);
    const float ages[] = {0.3f, 0.6f, 0.9f, 1.2f};
    const std::size_t spawns[] = {0, 1, 1, 2};
    const bool burning[] = {false, true, true, true};
    for (int frame = 0; frame < 4; ++frame) {
        Run(system, {0.3f});
        EXPECT_NEAR(system->GetAge(), ages[frame], 1e-6) << frame;
        EXPECT_EQ(spark->spawns.size(), spawns[frame]) << frame;
        CPObjectPtr material;
        animated->GetMaterial(material);
        EXPECT_EQ(material.Get() == &fire, burning[frame]) << frame;
    }
    EXPECT_TRUE(system->IsKilled());
    EXPECT_FALSE(system->IsRunning());

    // An ended system spawns nothing more, even with time for more ticks.
    CPParticleSystem* flash = Make(nullptr, {"side"});
    flash->SetLifetime(0.4f);
    Run(flash, {3.0f});
    EXPECT_EQ(smoke->spawns.size(), 1u);
    EXPECT_TRUE(flash->IsKilled());
}

TEST_F(ParticleSystemTest, DamagesTheTargetAndTheScriptOwnerEveryTick)
{
    CPGameObject target("barrel");
    FakeEnemy targetEnemy;
    target.SetEnemy(&targetEnemy);
    target.SetPosition({5, 6, 7});

    CPGameObject owner("fire");
    FakeEnemy ownerEnemy;
    owner.SetEnemy(&ownerEnemy);
    CPGameObject part("flame");
    owner.AddChild(CPObjectPtr(&part));
    script.Begin();
    owner.SetOwnerObject(CPObjectPtr(&script));

    CPParticleSystem* system = Make(&part, {});
    system->SetDamage(2.5f);
    system->SetDamageTarget(CPObjectPtr(&target));
    Run(system, {1.1f});

    ASSERT_EQ(targetEnemy.damages.size(), 2u);
    const auto& hit = targetEnemy.damages[0];
    EXPECT_EQ(hit.source.x, 5.0f);
    EXPECT_EQ(hit.source.z, 7.0f);
    EXPECT_NEAR(hit.hitPosition.x, Fraction(41) - 0.5, 1e-6);
    EXPECT_NEAR(hit.hitPosition.y, Fraction(18467) - 0.5, 1e-6);
    EXPECT_NEAR(hit.hitPosition.z, Fraction(6334) - 0.5, 1e-6);
    EXPECT_EQ(hit.amount, 2.5f);
    EXPECT_FALSE(hit.noHitEffect);
    EXPECT_FALSE(hit.oilOnly);

    // The flame's script owner is its parent, the one with the script.
    ASSERT_EQ(ownerEnemy.damages.size(), 2u);
    EXPECT_EQ(ownerEnemy.damages[1].source.x, 0.0f);
    EXPECT_EQ(ownerEnemy.damages[1].hitPosition.y, 0.0f);
    EXPECT_EQ(ownerEnemy.damages[1].amount, 2.5f);
    int damageCommands = 0;
    while (script.SetNextCommand())
        damageCommands += script.GetCurrentCommandName() == "damage" ? 1 : 0;
    EXPECT_EQ(damageCommands, 2);
    system->SetDamageTarget(CPObjectPtr()); // the target goes first

    owner.SetOwnerObject(CPObjectPtr());
}

TEST_F(ParticleSystemTest, DuplicateCarriesSettingsAndTheOldEmitterCopies)
{
    CPGameObject owner("torch");
    CPGameObject target("barrel");
    CPParticleSystem* system = Make(&owner, {"up"});
    ASSERT_TRUE(system->SetInterval(0.25f));
    system->SetLifetime(3.0f);
    system->SetDamage(1.0f);
    system->SetDamageTarget(CPObjectPtr(&target));
    Run(system, {0.3f});
    manager.FindEmitter("up")->speed = 99.0f;

    CPObjectPtr copyPointer = system->Duplicate();
    auto* copy = copyPointer.As<CPParticleSystem>();
    ASSERT_NE(copy, nullptr);
    systems.push_back(copy);
    copyPointer = CPObjectPtr();
    EXPECT_EQ(copy->GetOwner(), &owner);
    EXPECT_EQ(copy->GetInterval(), 0.25f);
    EXPECT_EQ(copy->GetLifetime(), 3.0f);
    EXPECT_EQ(copy->GetDamage(), 1.0f);
    EXPECT_EQ(copy->GetDamageTarget().Get(), &target);
    ASSERT_EQ(copy->GetEmitters().size(), 1u);
    EXPECT_EQ(copy->GetEmitters()[0].speed, 10.0f);
    EXPECT_EQ(copy->GetAccumulator(), 0.0f);
    EXPECT_EQ(copy->GetAge(), 0.0f);
    EXPECT_FALSE(copy->IsRunning());
    system->SetDamageTarget(CPObjectPtr()); // the target goes first
    copy->SetDamageTarget(CPObjectPtr());
}

TEST_F(ParticleSystemTest, IntervalsThatWouldTickForeverAreRefused)
{
    LogCapture log;
    CPParticleSystem* system = Make(nullptr, {"up"});
    for (float bad :
         {0.0f, -0.5f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        EXPECT_FALSE(system->SetInterval(bad)) << bad;
    EXPECT_EQ(system->GetInterval(), 0.5f);
    EXPECT_TRUE(log.Contains("Particle system interval"));

    // An interval too small to move a large accumulator stops the step.
    ASSERT_TRUE(system->SetInterval(1e-4f));
    Run(system, {5000.0f});
    EXPECT_EQ(spark->spawns.size(), 1u);
    EXPECT_EQ(system->GetAccumulator(), 0.0f);
}

TEST_F(ParticleSystemTest, AnIntervalFarShorterThanTheFrameTicksOnlyAHundredTimes)
{
    // 50000 intervals in the frame: each would emit and damage.
    CPParticleSystem* system = Make(nullptr, {"up"});
    ASSERT_TRUE(system->SetInterval(1e-5f));
    Run(system, {0.5f});
    EXPECT_EQ(spark->spawns.size(), static_cast<std::size_t>(CPParticleSystem::kMaxTicksPerStep));
    EXPECT_LT(system->GetAccumulator(), 1e-5f);
    EXPECT_NEAR(system->GetAge(), 0.5f, 1e-5f);
    EXPECT_FALSE(system->IsKilled());
}

TEST_F(ParticleSystemTest, AFlameHeldByItsObjectRunsWhileTheObjectIsActive)
{
    auto* flame = new CPGameObject("flame");
    auto* system = new CPParticleSystem(flame, {"up"});
    flame->SetRenderObject(CPObjectPtr(system), CPGameObject::kTaskObject);
    flame->SetPosition({0, 0, 50});
    flame->UpdateBounds();

    flame->Activate(200);
    EXPECT_TRUE(system->IsRunning());
    EXPECT_EQ(system->GetPriority(), 200);
    kernel.StepTasks(0.6f);
    ASSERT_EQ(spark->spawns.size(), 1u);
    EXPECT_NEAR(spark->spawns[0].position.z, 50.0f, 1e-5);

    flame->Deactivate();
    kernel.StepTasks(0.6f);
    EXPECT_EQ(spark->spawns.size(), 1u);
    EXPECT_TRUE(kernel.GetTasks().empty());

    // Active again, then deleted with its system while listed.
    flame->Activate(200);
    kernel.StepTasks(0.6f);
    EXPECT_EQ(spark->spawns.size(), 2u);
    CPGameObject::DeleteTree(flame);
    kernel.StepTasks(0.6f);
    EXPECT_EQ(spark->spawns.size(), 2u);
}
