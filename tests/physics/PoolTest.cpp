#include "physics/Simulator.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"

using namespace phtest;

namespace {

// One kind of record: how to size its pool, take one, and give back
// everything taken (parts go back with the body that holds them).
struct PoolKind {
    const char* name;
    std::int32_t PhSizeInfo::*count;
    const char* message;
    std::function<void*(PhSimulator&, std::vector<PhBody*>&)> take;
    std::function<int(PhSimulator&)> freeCount;
};

// Parts hang on one host body each, so the host pools never run out first.
PhBody* NewHost(PhSimulator& sim, std::vector<PhBody*>& hosts)
{
    PhRigidBody* host = sim.CreateRigidBody();
    if (host)
        hosts.push_back(host);
    return host;
}

std::vector<PoolKind> Kinds()
{
    return {
        {"rigid bodies", &PhSizeInfo::rigidBodiesCount,
         "Run out of RigidBodies. Increase 'rigidBodiesCount'.\n",
         [](PhSimulator& sim, std::vector<PhBody*>& owned) -> void* {
             PhBody* body = sim.CreateRigidBody();
             if (body)
                 owned.push_back(body);
             return body;
         },
         [](PhSimulator& sim) { return sim.GetRigidBodyPool().GetFreeCount(); }},
        {"rigid particles", &PhSizeInfo::rigidParticleCount,
         "Run out of RigidBodies. Increase 'rigidParticleCount'.\n",
         [](PhSimulator& sim, std::vector<PhBody*>& owned) -> void* {
             PhBody* body = sim.CreateRigidParticle();
             if (body)
                 owned.push_back(body);
             return body;
         },
         [](PhSimulator& sim) { return sim.GetRigidParticlePool().GetFreeCount(); }},
        {"kinematic bodies", &PhSizeInfo::kinematicBodiesCount,
         "Run out of KinematicBodies. Increase 'kinematicBodiesCount'.\n",
         [](PhSimulator& sim, std::vector<PhBody*>& owned) -> void* {
             PhBody* body = sim.CreateKinematicBody();
             if (body)
                 owned.push_back(body);
             return body;
         },
         [](PhSimulator& sim) { return sim.GetKinematicBodyPool().GetFreeCount(); }},
        {"geometries", &PhSizeInfo::geometriesCount, "Run out of Geometries. Increase 'geometriesCount'.\n",
         [](PhSimulator& sim, std::vector<PhBody*>& hosts) -> void* {
             return NewHost(sim, hosts)->AddGeometry();
         },
         [](PhSimulator& sim) { return sim.GetGeometryPool().GetFreeCount(); }},
        {"sensors", &PhSizeInfo::sensorsCount, "Run out of Sensors. Increase 'sensorsCount'.\n",
         [](PhSimulator& sim, std::vector<PhBody*>& hosts) -> void* {
             return NewHost(sim, hosts)->AddSensor();
         },
         [](PhSimulator& sim) { return sim.GetSensorPool().GetFreeCount(); }},
        {"controllers", &PhSizeInfo::constraintSetsCount,
         "Run out of Controllers. Increase 'constraintSetsCount'.\n",
         [](PhSimulator& sim, std::vector<PhBody*>& hosts) -> void* {
             return static_cast<PhRigidBody*>(NewHost(sim, hosts))->AddController(nullptr, 1);
         },
         [](PhSimulator& sim) { return sim.GetControllerPool().GetFreeCount(); }},
    };
}

} // namespace

TEST(Pool, FillsRefusesAndReusesForEveryKindAndSize)
{
    for (const PoolKind& kind : Kinds()) {
        for (int size : {-1, 0, 1, 3, 7}) {
            SCOPED_TRACE(std::string(kind.name) + " x " + std::to_string(size));
            PhSizeInfo sizes;
            sizes.*kind.count = size;
            SimulatorPtr sim = MakeSimulator(sizes);
            const int capacity = size > 0 ? size : 0;

            std::vector<PhBody*> owned;
            std::set<void*> taken;
            for (int i = 0; i < capacity; ++i) {
                void* record = kind.take(*sim, owned);
                ASSERT_NE(record, nullptr) << "record " << i;
                taken.insert(record);
            }
            EXPECT_EQ(taken.size(), static_cast<std::size_t>(capacity));
            EXPECT_EQ(kind.freeCount(*sim), 0);
            EXPECT_TRUE(Messages().empty());

            // Full: refused and logged once, nothing else changes.
            EXPECT_EQ(kind.take(*sim, owned), nullptr);
            ASSERT_EQ(Messages().size(), 1u);
            EXPECT_EQ(Messages()[0], kind.message);
            EXPECT_EQ(kind.freeCount(*sim), 0);

            for (PhBody* body : owned)
                EXPECT_TRUE(sim->ReleaseBody(body));
            owned.clear();
            EXPECT_EQ(kind.freeCount(*sim), capacity);

            // Every released record can be taken again.
            std::set<void*> again;
            for (int i = 0; i < capacity; ++i)
                again.insert(kind.take(*sim, owned));
            EXPECT_EQ(again, taken);
        }
    }
}

TEST(Pool, BodiesAreNumberedByKindAndPoolPosition)
{
    PhSizeInfo sizes;
    sizes.rigidBodiesCount = 3;
    sizes.kinematicBodiesCount = 2;
    sizes.rigidParticleCount = 2;
    SimulatorPtr sim = MakeSimulator(sizes);

    struct Case {
        const char* name;
        PhBody* body;
        int index;
    };
    PhBody* rigid0 = sim->CreateRigidBody();
    PhBody* rigid1 = sim->CreateRigidBody();
    PhBody* kinematic0 = sim->CreateKinematicBody();
    PhBody* kinematic1 = sim->CreateKinematicBody();
    PhBody* particle0 = sim->CreateRigidParticle();
    const Case cases[] = {{"rigid 0", rigid0, 0},
                          {"rigid 1", rigid1, 1},
                          {"kinematic 0", kinematic0, 3},
                          {"kinematic 1", kinematic1, 4},
                          {"particle 0", particle0, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.body->bodyIndex, c.index);
        EXPECT_EQ(c.body->simulator, sim.get());
        EXPECT_EQ(c.body->self, c.body);
    }
    // The free list starts at element 0: the first body is the block's first.
    EXPECT_EQ(static_cast<PhRigidBody*>(rigid1), static_cast<PhRigidBody*>(rigid0) + 1);
    EXPECT_EQ(static_cast<PhRigidBody*>(particle0)->kind, kPhRigidParticle);
    EXPECT_EQ(static_cast<PhRigidBody*>(rigid0)->kind, kPhRigidBody);

    // A released body is taken again last, and keeps its number.
    EXPECT_TRUE(sim->ReleaseBody(rigid0));
    PhBody* rigid2 = sim->CreateRigidBody();
    EXPECT_EQ(rigid2->bodyIndex, 2);
    EXPECT_EQ(sim->CreateRigidBody(), rigid0);
    EXPECT_EQ(rigid0->bodyIndex, 0);
}

TEST(Pool, ReleaseRefusesWhatIsNotALiveBodyOfThisSimulator)
{
    SimulatorPtr sim = MakeSimulator();
    SimulatorPtr other = MakeSimulator();
    PhRigidBody* body = sim->CreateRigidBody();
    PhKinematicBody* foreign = other->CreateKinematicBody();

    EXPECT_FALSE(sim->ReleaseBody(nullptr));
    EXPECT_FALSE(sim->ReleaseBody(foreign));
    EXPECT_TRUE(sim->ReleaseBody(body));
    EXPECT_EQ(sim->GetRigidBodyPool().GetFreeCount(), 50);
    // Twice is refused and does not put the record on the free list again.
    EXPECT_FALSE(sim->ReleaseBody(body));
    EXPECT_EQ(sim->GetRigidBodyPool().GetFreeCount(), 50);
    EXPECT_EQ(sim->GetBodyLists().rigidActive.count, 0);
}

TEST(Pool, ReleasingAnInactiveBodyTakesItOffTheInactiveList)
{
    SimulatorPtr sim = MakeSimulator();
    PhRigidBody* particle = sim->CreateRigidParticle();
    PhKinematicBody* kinematic = sim->CreateKinematicBody();
    particle->SetActive(0, 0);
    kinematic->SetActive(0, 0);
    EXPECT_TRUE(sim->ReleaseBody(particle));
    EXPECT_TRUE(sim->ReleaseBody(kinematic));
    EXPECT_EQ(sim->GetBodyLists().particleInactive.count, 0);
    EXPECT_EQ(sim->GetBodyLists().kinematicInactive.count, 0);
    EXPECT_EQ(sim->GetBodyLists().particleInactive.head, nullptr);
}
