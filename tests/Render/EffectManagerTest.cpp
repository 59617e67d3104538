#include "Render/EffectManager.h"

#include <gtest/gtest.h>

#include "core/GameClock.h"
#include "core/Kernel.h"
#include "Render/ParticleSystem.h"
#include "platform/Random.h"
#include "support/EffectFakes.h"
#include "support/ScratchFolder.h"
#include "core/ServiceOverride.h"

namespace {

// With seed 1 the generator gives 41, 18467, 6334, 26500, ...
const float kDegree = 0.017453292f;

struct Held : CPObject {
    std::uint32_t GetObjectSize() const override { return sizeof(Held); }
    std::string GetTypeName() const override { return "Held"; }
};

std::unique_ptr<EffectNode> Node(const std::string& name)
{
    auto node = std::make_unique<EffectNode>();
    node->name = name;
    return node;
}

class EffectManagerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        platform::SeedRand(1);
        fire = new RecordingEffectPrototype();
        smoke = new RecordingEffectPrototype(true);
        manager.RegisterPrototype("fire", fire);
        manager.RegisterPrototype("smoke", smoke);
    }

    CPEffectManager manager;
    RecordingEffectPrototype* fire = nullptr;
    RecordingEffectPrototype* smoke = nullptr;
};

} // namespace

TEST_F(EffectManagerTest, RequestFieldsReachThePrototypeWithARandomYaw)
{
    Held held;
    EffectNode request;
    request.name = "fire";
    request.position = {1, 2, 3};
    request.velocity = {4, 5, 6};
    request.vectorC = {7, 8, 9};
    request.word1 = 0.25f;
    request.word2 = 0.5f;
    request.word3 = 0.75f;
    request.flag1 = 1;
    request.flag2 = 2;
    request.tag = 17;
    request.heldObject = CPObjectPtr(&held);

    manager.SpawnEffect(request);

    ASSERT_EQ(fire->spawns.size(), 1u);
    const auto& spawn = fire->spawns[0];
    EXPECT_EQ(spawn.position.z, 3.0f);
    EXPECT_EQ(spawn.velocity.x, 4.0f);
    EXPECT_EQ(spawn.vectorC.y, 8.0f);
    EXPECT_EQ(spawn.secondVector.x, 0.0f);
    EXPECT_EQ(spawn.word1, 0.25f);
    EXPECT_EQ(spawn.word2, 0.5f);
    EXPECT_EQ(spawn.word3, 0.75f);
    EXPECT_EQ(spawn.zeroWord, 0u);
    EXPECT_EQ(spawn.flag1, 1);
    EXPECT_EQ(spawn.flag2, 2);
    EXPECT_EQ(spawn.tag, 17);
    EXPECT_EQ(spawn.heldObject, &held);
    EXPECT_FLOAT_EQ(spawn.yaw, 41 * kDegree); // 41 % 360
    EXPECT_TRUE(spawn.chainNames.empty());
}

TEST_F(EffectManagerTest, UnknownNameStartsNothingButDrawsTheYaw)
{
    EffectNode request;
    request.name = "nothing";
    manager.SpawnEffect(request);
    EXPECT_EQ(manager.GetActiveCount(), 0u);
    EXPECT_TRUE(fire->spawns.empty());
    EXPECT_EQ(platform::Rand(), 18467); // the second number of seed 1

    // Names are compared byte for byte.
    request.name = "Fire";
    manager.SpawnEffect(request);
    EXPECT_TRUE(fire->spawns.empty());
}

TEST_F(EffectManagerTest, TrackedSpawnsStayActiveUntilClearEffects)
{
    EffectNode request;
    request.name = "fire";
    for (int i = 0; i < 3; ++i)
        manager.SpawnEffect(request);
    request.name = "smoke"; // untracked: started, not listed
    manager.SpawnEffect(request);

    EXPECT_EQ(fire->spawns.size(), 3u);
    EXPECT_EQ(smoke->spawns.size(), 1u);
    EXPECT_EQ(manager.GetActiveCount(), 3u);
    EXPECT_EQ(fire->GetUseCount(), 3u); // one reference per active entry

    manager.ClearEffects();
    EXPECT_EQ(manager.GetActiveCount(), 0u);
    EXPECT_EQ(fire->clears, 1);
    EXPECT_EQ(smoke->clears, 1);
    // Prototypes stay: the next request still finds one.
    request.name = "fire";
    manager.SpawnEffect(request);
    EXPECT_EQ(fire->spawns.size(), 4u);
}

TEST_F(EffectManagerTest, ChainReachesTheFirstPrototypeAsACopy)
{
    Held held;
    EffectNode request;
    request.name = "fire";
    request.Append(Node("smoke")).tag = 5;
    request.Append(Node("spark")).heldObject = CPObjectPtr(&held);

    manager.SpawnEffect(request);

    EXPECT_TRUE(smoke->spawns.empty());
    ASSERT_EQ(fire->spawns.size(), 1u);
    const auto& spawn = fire->spawns[0];
    EXPECT_EQ(spawn.chainNames, (std::vector<std::string>{"smoke", "spark"}));
    // The copy leaves tags and held objects behind.
    EXPECT_EQ(spawn.chainTags, (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(spawn.chainHeld, (std::vector<bool>{false, false}));
    // The caller's chain is untouched.
    EXPECT_EQ(request.ChainLength(), 3);
    EXPECT_EQ(request.next->tag, 5);
}

TEST(EffectNode, CopyIsDeepAndKeepsTheDestinationsTagAndHeldObject)
{
    Held held;
    EffectNode source;
    source.name = "a";
    source.position = {1, 2, 3};
    source.word3 = 9.0f;
    source.tag = 4;
    source.Append(Node("b")).velocity = {0, 0, 5};
    source.Append(Node("c"));

    EffectNode destination;
    destination.tag = 8;
    destination.heldObject = CPObjectPtr(&held);
    destination.Append(Node("old1"));
    destination.Append(Node("old2"));
    destination.Append(Node("old3"));
    destination.Append(Node("old4"));

    CopyEffectNode(destination, source);
    EXPECT_EQ(destination.name, "a");
    EXPECT_EQ(destination.position.y, 2.0f);
    EXPECT_EQ(destination.word3, 9.0f);
    EXPECT_EQ(destination.tag, 8);
    EXPECT_EQ(destination.heldObject.Get(), &held);
    ASSERT_EQ(destination.ChainLength(), 3);
    EXPECT_EQ(destination.next->name, "b");
    EXPECT_EQ(destination.next->velocity.z, 5.0f);
    EXPECT_EQ(destination.next->next->name, "c");

    source.next->name = "changed";
    EXPECT_EQ(destination.next->name, "b");
}

TEST(EffectNode, AVeryLongChainIsDestroyedWithoutDeepRecursion)
{
    EffectNode head;
    EffectNode* last = &head;
    for (int i = 0; i < 200000; ++i) {
        last->next = std::make_unique<EffectNode>();
        last = last->next.get();
    }
}

TEST_F(EffectManagerTest, ReplacingAPrototypeDeletesTheOldOneAndItsActiveEntries)
{
    int deletions = 0;
    auto* first = new RecordingEffectPrototype(false, &deletions);
    manager.RegisterPrototype("flash", first);
    EffectNode request;
    request.name = "flash";
    manager.SpawnEffect(request);
    manager.SpawnEffect(request);
    request.name = "fire";
    manager.SpawnEffect(request);
    ASSERT_EQ(manager.GetActiveCount(), 3u);

    auto* second = new RecordingEffectPrototype();
    EXPECT_TRUE(manager.RegisterPrototype("flash", second));
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(manager.GetActiveCount(), 1u);
    EXPECT_EQ(manager.FindPrototype("flash"), second);
    EXPECT_FALSE(manager.RegisterPrototype("flash", nullptr));
    EXPECT_EQ(manager.FindPrototype("flash"), second);
}

TEST(EffectManager, EmittersWithoutAPitchRangeAreRefused)
{
    LogCapture log;
    CPEffectManager manager;
    struct Case {
        int cone;
        bool accepted;
    } cases[] = {{0, true}, {2, true}, {90, true}, {1, false}, {-1, false}, {-30, false}};
    for (const Case& c : cases) {
        CPEmitterDesc emitter;
        emitter.coneAngle = c.cone;
        const std::string name = "e" + std::to_string(c.cone);
        EXPECT_EQ(manager.RegisterEmitter(name, emitter), c.accepted) << c.cone;
        EXPECT_EQ(manager.FindEmitter(name) != nullptr, c.accepted) << c.cone;
    }
    EXPECT_TRUE(log.Contains("Emitter \"e1\" refused"));
    EXPECT_TRUE(log.Contains("Emitter \"e-30\" refused"));
}

TEST(EffectManager, DuplicatesOnlyExistingParticleSystems)
{
    LogCapture log;
    CPEffectManager manager;
    ServiceOverride<GetEffectManager, SetEffectManager> installed(&manager);
    manager.RegisterEmitter("flame", CPEmitterDesc());
    EXPECT_EQ(manager.AddParticleSystem(new CPParticleSystem(nullptr, {})), 0);
    auto* burning = new CPParticleSystem(nullptr, {"flame"});
    burning->SetLifetime(4.0f);
    EXPECT_EQ(manager.AddParticleSystem(burning), 1);

    CPObjectPtr copy = manager.DuplicateParticleSystem(1);
    auto* system = copy.As<CPParticleSystem>();
    ASSERT_NE(system, nullptr);
    EXPECT_NE(system, burning);
    EXPECT_EQ(system->GetLifetime(), 4.0f);
    EXPECT_EQ(system->GetEmitters().size(), 1u);
    copy = CPObjectPtr();
    delete system;

    for (int index : {-1, 2, 100})
        EXPECT_FALSE(manager.DuplicateParticleSystem(index)) << index;
    EXPECT_TRUE(log.Contains("No particle system 2 to duplicate (2 registered)"));
}

TEST(EffectManager, RequestBudgetIsSharedWithinAFrameAndRenewedByTheKernel)
{
    CPKernel kernel;
    kernel.StepTasks(0.02f);
    EXPECT_EQ(CPEffectManager::GetRemainingRequests(), 40);
    EXPECT_EQ(CPEffectManager::ReserveRequests(38), 38);
    EXPECT_EQ(CPEffectManager::ReserveRequests(5), 2); // the sparks of a crash get the rest
    EXPECT_EQ(CPEffectManager::ReserveRequests(1), 0);
    EXPECT_EQ(CPEffectManager::ReserveRequests(-3), 0);
    EXPECT_EQ(GetGameClock().effectsThisFrame, 40);

    kernel.StepTasks(0.02f);
    EXPECT_EQ(CPEffectManager::ReserveRequests(3), 3);
    EXPECT_EQ(CPEffectManager::GetRemainingRequests(), 37);
}
