#include "physics/Simulator.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"

using namespace phtest;

namespace {

// Hands out blocks from the C heap until the call numbered failAt, which
// it refuses; counts what is still out so leaks show.
class CountingAllocator : public PhAllocator {
  public:
    explicit CountingAllocator(int failAt = -1) : m_failAt(failAt) {}
    void* Alloc(std::size_t size, int flags) override
    {
        ++m_calls;
        if (m_calls == m_failAt)
            return nullptr;
        ++m_outstanding;
        return PhAllocator::Alloc(size, flags);
    }
    void Free(void* block) override
    {
        --m_outstanding;
        PhAllocator::Free(block);
    }
    int calls() const { return m_calls; }
    int outstanding() const { return m_outstanding; }

  private:
    int m_failAt;
    int m_calls = 0;
    int m_outstanding = 0;
};

void ExpectMaterial(const PhMaterial& material, float a, float b, float c)
{
    EXPECT_FLOAT_EQ(material.value[0], a);
    EXPECT_FLOAT_EQ(material.value[1], b);
    EXPECT_FLOAT_EQ(material.value[2], c);
}

} // namespace

TEST(Simulator, CreationCopiesEveryCountAndSizesThePools)
{
    PhSizeInfo sizes;
    sizes.rigidBodiesCount = 3;
    sizes.kinematicBodiesCount = 4;
    sizes.rigidParticleCount = 5;
    sizes.constraintSetsCount = 6;
    sizes.overlappedPairsCount = 7;
    sizes.geometriesCount = 8;
    sizes.sensorsCount = 9;
    sizes.count11 = 42;
    SimulatorPtr sim = MakeSimulator(sizes);
    ASSERT_TRUE(sim);

    EXPECT_EQ(sim->GetSizeInfo().count11, 42);
    EXPECT_EQ(sim->GetSizeInfo().count8, 2000);
    EXPECT_EQ(sim->GetRigidBodyPool().GetCapacity(), 3);
    EXPECT_EQ(sim->GetKinematicBodyPool().GetCapacity(), 4);
    EXPECT_EQ(sim->GetRigidParticlePool().GetCapacity(), 5);
    EXPECT_EQ(sim->GetControllerPool().GetCapacity(), 6);
    EXPECT_EQ(sim->GetGeometryPool().GetCapacity(), 8);
    EXPECT_EQ(sim->GetSensorPool().GetCapacity(), 9);

    // N = 3 + 4 non-particle bodies, P = 5 particles.
    const PhBroadPhase& broadPhase = sim->GetBroadPhase();
    EXPECT_TRUE(broadPhase.IsBuilt());
    EXPECT_EQ(broadPhase.GetPairTableSize(), 21u);
    EXPECT_EQ(broadPhase.GetParticlePairTableSize(), 35u);
    EXPECT_EQ(broadPhase.GetOverlappedPairCapacity(), 7);
}

// A level's counts ask for thousands of records and a pair table for
// every two of its bodies; memory is only taken for what the level uses.
TEST(Simulator, PoolsAndPairTablesTakeMemoryOnlyForWhatIsUsed)
{
    CountingAllocator allocator;
    PhSizeInfo sizes;
    sizes.rigidBodiesCount = 500;
    sizes.kinematicBodiesCount = 1000;
    sizes.rigidParticleCount = 500;
    SimulatorPtr sim = MakeSimulator(sizes, nullptr, &allocator);
    ASSERT_TRUE(sim);
    PhBroadPhase& broadPhase = sim->GetBroadPhase();
    ASSERT_TRUE(broadPhase.IsBuilt());
    EXPECT_EQ(broadPhase.GetPairTableSize(), 1500u * 1499u / 2u);
    EXPECT_EQ(broadPhase.GetParticlePairTableSize(), 1500u * 500u);
    const std::size_t built = allocator.GetBytesHandedOut();
    EXPECT_LT(built, broadPhase.GetPairTableSize() * sizeof(PhPairEntry));

    // Asked for, a table comes cleared, once.
    PhPairEntry* pairs = broadPhase.GetPairTable();
    ASSERT_NE(pairs, nullptr);
    EXPECT_EQ(allocator.GetBytesHandedOut(), built + broadPhase.GetPairTableSize() * sizeof(PhPairEntry));
    const PhPairEntry& last = pairs[broadPhase.GetPairTableSize() - 1];
    EXPECT_EQ(last.word[0] | last.word[1] | pairs[0].word[0], 0u);
    EXPECT_EQ(broadPhase.GetPairTable(), pairs);

    // Records come in pool order, and only those taken are made.
    const PhPool<PhRigidBody>& pool = sim->GetRigidBodyPool();
    EXPECT_EQ(pool.GetFreeCount(), 500);
    PhRigidBody* first = sim->CreateRigidBody();
    PhRigidBody* second = sim->CreateRigidBody();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(pool.IndexOf(first), 0);
    EXPECT_EQ(pool.IndexOf(second), 1);
    EXPECT_EQ(pool.GetMadeCount(), 2);
    EXPECT_EQ(pool.GetFreeCount(), 498);
    EXPECT_FALSE(pool.Owns(second + 1)); // not made yet
}

TEST(Simulator, StartsWithDefaultTablesAndNoGameCallbacks)
{
    SimulatorPtr sim(PhCreateSimulator(PhSizeInfo(), nullptr, nullptr));
    ASSERT_TRUE(sim);
    for (int index : {0, 1, 128, 255})
        ExpectMaterial(sim->GetMaterial(index), 0.5f, 0.4f, 1.0f);
    for (int i : {0, 17, 63}) {
        for (int j : {-1, 0, 40, 63})
            EXPECT_EQ(sim->GetResponseTable().Get(i, j), 1);
    }
    EXPECT_EQ(sim->GetCollisionCallback(), nullptr);
    EXPECT_EQ(sim->GetTerrainQueryCallback(), nullptr);
    // Messages go to the program's log from the start.
    EXPECT_EQ(sim->GetLogCallback(), &PhWriteToSystemLog);
    EXPECT_EQ(sim->GetLogLevel(), 1);
}

TEST(Simulator, GravityGivesDirectionLengthAndScaledLength)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* name;
        bool given;
        Vector4 gravity;
        Vector4 direction;
        float length;
    };
    const Case cases[] = {
        {"none", false, V(0, 0, 0), V(0, 0, 0), 0.0f},
        {"zero", true, V(0, 0, 0), V(0, 0, 0), 0.0f},
        {"down", true, V(0, 0, -9.8f), V(0, 0, -1), 9.8f},
        {"slanted", true, V(3, 0, 4), V(0.6f, 0, 0.8f), 5.0f},
        // Squared length 2.5e-7 is below 1e-6: no direction, but a length.
        {"tiny", true, V(0.0005f, 0, 0), V(0, 0, 0), 0.0005f},
        {"infinite", true, V(inf, 0, 0), V(0, 0, 0), 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatorPtr sim = MakeSimulator(PhSizeInfo(), c.given ? &c.gravity : nullptr);
        ASSERT_TRUE(sim);
        EXPECT_VEC3_NEAR(sim->GetGravityDirection(), c.direction.x, c.direction.y, c.direction.z, 1e-6f);
        EXPECT_NEAR(sim->GetGravityLength(), c.length, 1e-6f);
        EXPECT_NEAR(sim->GetGravityScaledLength(), 0.3f * c.length, 1e-6f);
    }
}

TEST(Simulator, SetMaterialAcceptsOnlyTheTableIndices)
{
    SimulatorPtr sim = MakeSimulator();
    struct Case {
        int index;
        bool accepted;
    };
    for (const Case& c : {Case{-1, false}, Case{0, true}, Case{255, true}, Case{256, false}}) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(sim->SetMaterial(c.index, 0.2f, 0.7f), c.accepted);
    }
    ExpectMaterial(sim->GetMaterial(0), 0.2f, 0.7f, 0.0f);
    ExpectMaterial(sim->GetMaterial(255), 0.2f, 0.7f, 0.0f);
    ExpectMaterial(sim->GetMaterial(1), 0.5f, 0.4f, 1.0f);
    ExpectMaterial(sim->GetMaterial(254), 0.5f, 0.4f, 1.0f);
    // An index outside the table reads the untouched default.
    ExpectMaterial(sim->GetMaterial(256), 0.5f, 0.4f, 1.0f);
    ExpectMaterial(sim->GetMaterial(-1), 0.5f, 0.4f, 1.0f);
}

TEST(Simulator, ResponseTableSetsPairsAndClassDefaults)
{
    struct Probe {
        int i, j, expected;
    };
    struct Case {
        const char* name;
        int i, j;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"pair", 5, 9, {{5, 9, 3}, {9, 5, 3}, {5, 5, 1}, {9, 9, 1}, {5, -1, 1}, {-1, 9, 1}}},
        {"default of j", -1, 9, {{9, -1, 3}, {-1, 9, 3}, {9, 0, 1}, {0, 9, 1}, {5, -1, 1}}},
        {"default of i", 9, -1, {{9, -1, 3}, {-1, 9, 3}, {9, 9, 1}}},
        {"both -1", -1, -1, {{0, -1, 1}, {-1, 0, 1}, {0, 0, 1}, {63, -1, 1}}},
        {"out of range", 64, 3, {{3, -1, 1}, {3, 63, 1}, {63, 3, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhResponseTable table;
        table.Set(c.i, c.j, 3);
        for (const Probe& p : c.probes)
            EXPECT_EQ(table.Get(p.i, p.j), p.expected) << p.i << "," << p.j;
    }
}

TEST(Simulator, SetCollisionCallbackReturnsThePreviousOne)
{
    SimulatorPtr sim = MakeSimulator();
    PhCollisionCallback first = [](PhContact*) {};
    PhCollisionCallback second = [](PhContact*) {};
    EXPECT_EQ(sim->SetCollisionCallback(first), nullptr);
    EXPECT_EQ(sim->SetCollisionCallback(second), first);
    EXPECT_EQ(sim->GetCollisionCallback(), second);
}

TEST(Simulator, MessagesReachTheCallbackOnlyAtOrBelowTheLogLevel)
{
    PhSizeInfo sizes;
    sizes.rigidBodiesCount = 1;
    struct Case {
        PhLogCallback callback;
        int level;
        bool delivered;
    };
    for (const Case& c : {Case{CaptureMessage, 1, true}, Case{CaptureMessage, 5, true},
                          Case{CaptureMessage, 0, false}, Case{nullptr, 1, false}}) {
        SCOPED_TRACE(c.level);
        SimulatorPtr sim = MakeSimulator(sizes);
        sim->SetLogCallback(c.callback, c.level);
        ASSERT_NE(sim->CreateRigidBody(), nullptr);
        EXPECT_EQ(sim->CreateRigidBody(), nullptr);
        if (c.delivered) {
            ASSERT_EQ(Messages().size(), 1u);
            EXPECT_EQ(Messages()[0], "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n");
        } else {
            EXPECT_TRUE(Messages().empty());
        }
    }
}

TEST(Simulator, ExhaustionIsWrittenToTheProgramLogByDefault)
{
    ScopedLogFile log;
    PhSizeInfo sizes;
    sizes.sensorsCount = 0;
    SimulatorPtr sim(PhCreateSimulator(sizes, nullptr, nullptr));
    PhRigidBody* body = sim->CreateRigidBody();
    EXPECT_EQ(body->AddSensor(), nullptr);
    EXPECT_EQ(log.Read(), "Run out of Sensors. Increase 'sensorsCount'.\n");
}

TEST(Simulator, EverythingComesFromTheAllocatorAndGoesBack)
{
    CountingAllocator allocator;
    {
        SimulatorPtr sim = MakeSimulator(PhSizeInfo(), nullptr, &allocator);
        EXPECT_EQ(&sim->GetAllocator(), &allocator);
        EXPECT_GT(allocator.outstanding(), 0);
        EXPECT_GT(allocator.GetBytesHandedOut(), 50 * sizeof(PhRigidBody));
    }
    EXPECT_EQ(allocator.outstanding(), 0);
}

TEST(Simulator, AFailedBodyPoolSkipsTheLaterBodyPoolsAndTheBroadPhase)
{
    ScopedLogFile log;
    // Call 1 is the rigid-body pool, call 2 the kinematic-body pool.
    CountingAllocator allocator(2);
    {
        SimulatorPtr sim(PhCreateSimulator(PhSizeInfo(), &allocator, nullptr));
        ASSERT_TRUE(sim);
        EXPECT_EQ(log.Read(), "Failed to allocate memory.\n");
        EXPECT_EQ(sim->GetRigidBodyPool().GetCapacity(), 50);
        EXPECT_EQ(sim->GetKinematicBodyPool().GetCapacity(), 0);
        EXPECT_EQ(sim->GetRigidParticlePool().GetCapacity(), 0);
        EXPECT_FALSE(sim->GetBroadPhase().IsBuilt());
        // The rest of creation went on.
        EXPECT_EQ(sim->GetGeometryPool().GetCapacity(), 50);
        EXPECT_EQ(sim->GetSensorPool().GetCapacity(), 100);
        EXPECT_EQ(sim->GetControllerPool().GetCapacity(), 50);

        // What was built works; what was not refuses.
        sim->SetLogCallback(CaptureMessage, 1);
        Messages().clear();
        PhRigidBody* body = sim->CreateRigidBody();
        ASSERT_NE(body, nullptr);
        EXPECT_NE(body->AddGeometry(), nullptr);
        EXPECT_FALSE(body->inBroadPhase);
        EXPECT_EQ(sim->CreateKinematicBody(), nullptr);
        EXPECT_EQ(sim->CreateRigidParticle(), nullptr);
        ASSERT_EQ(Messages().size(), 2u);
        EXPECT_EQ(Messages()[0], "Run out of KinematicBodies. Increase 'kinematicBodiesCount'.\n");
        EXPECT_EQ(Messages()[1], "Run out of RigidBodies. Increase 'rigidParticleCount'.\n");
    }
    EXPECT_EQ(allocator.outstanding(), 0);
}

TEST(Simulator, AFailedBroadPhaseKeepsNothingHalfBuilt)
{
    ScopedLogFile log;
    // Calls 1-3 are the body pools; 4 to 9 the broad phase's blocks (its
    // pair tables come later, when first asked for).
    for (int failAt = 4; failAt <= 9; ++failAt) {
        SCOPED_TRACE(failAt);
        CountingAllocator allocator(failAt);
        {
            SimulatorPtr sim(PhCreateSimulator(PhSizeInfo(), &allocator, nullptr));
            ASSERT_TRUE(sim);
            EXPECT_FALSE(sim->GetBroadPhase().IsBuilt());
            PhKinematicBody* body = sim->CreateKinematicBody();
            ASSERT_NE(body, nullptr);
            ASSERT_NE(body->AddGeometry(), nullptr);
            EXPECT_FALSE(body->inBroadPhase);
        }
        EXPECT_EQ(allocator.outstanding(), 0);
    }
}

TEST(Simulator, CountsTooLargeForTheirPoolsAreRefusedCleanly)
{
    // The rigid-body pool cannot be had, so no body pool is built; asking
    // for any body afterwards must refuse without the counts being summed.
    ScopedLogFile log;
    const std::int32_t most = std::numeric_limits<std::int32_t>::max();
    PhSizeInfo sizes;
    sizes.rigidBodiesCount = most;
    sizes.kinematicBodiesCount = most;
    CountingAllocator allocator(1);
    {
        SimulatorPtr sim = MakeSimulator(sizes, nullptr, &allocator);
        ASSERT_TRUE(sim);
        EXPECT_EQ(sim->CreateRigidParticle(), nullptr);
        EXPECT_EQ(sim->CreateKinematicBody(), nullptr);
        EXPECT_EQ(sim->CreateRigidBody(), nullptr);
        ASSERT_EQ(Messages().size(), 3u);
        EXPECT_EQ(Messages()[0], "Run out of RigidBodies. Increase 'rigidParticleCount'.\n");
        EXPECT_EQ(Messages()[2], "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n");
    }
    EXPECT_EQ(allocator.outstanding(), 0);
}
