// What the stepping takes from the physics library's heap once a scene has
// run a while: nothing, however many contacts it makes and drops.
#include <atomic>
#include <cstdlib>

#include <LinearMath/btAlignedAllocator.h>

#include "SteppingTestWorld.h"

using namespace phtest;

namespace {

std::atomic<int> g_blocks{0};

void* CountedAlloc(std::size_t size)
{
    ++g_blocks;
    return std::malloc(size);
}
void CountedFree(void* block) { std::free(block); }

// Counts the library's blocks while it lives; the default allocator is
// put back after, and blocks taken before are freed the same way (both end
// in the C heap).
class CountLibraryBlocks {
  public:
    CountLibraryBlocks() { btAlignedAllocSetCustom(CountedAlloc, CountedFree); }
    ~CountLibraryBlocks() { btAlignedAllocSetCustom(nullptr, nullptr); }
    CountLibraryBlocks(const CountLibraryBlocks&) = delete;
    CountLibraryBlocks& operator=(const CountLibraryBlocks&) = delete;
};

} // namespace

// A box driven into another along the ground, a third riding on them: box
// against box, boxes against the ground's triangles, contacts made and
// broken as they move over the triangles.
TEST(SteppingHeap, AWarmSceneStepsWithoutTakingLibraryBlocks)
{
    CountLibraryBlocks counting;
    Ground ground(40, 10);
    SteppingWorld world(&ground);
    PhRigidBody* pusher = world.Box(V(1, 1, 1), 1, V(-2, 0, 0.5f));
    PhRigidBody* pushed = world.Box(V(1, 1, 1), 1, V(-0.9f, 0, 0.5f));
    PhRigidBody* top = world.Box(V(0.8f, 0.8f, 0.8f), 1, V(-1.4f, 0, 1.45f));
    auto frames = [&](int count) {
        for (int i = 0; i < count; ++i) {
            pusher->SetVelocity(V(1.0f, 0, 0));
            world.simulator->Step(1.0f / 60.0f);
        }
    };
    frames(120);
    const int warm = g_blocks.load();
    const float pushedBefore = pushed->GetPos().x;
    frames(240);
    EXPECT_EQ(g_blocks.load() - warm, 0);
    // The boxes did meet all along: the pushed one moved on.
    EXPECT_GT(pushed->GetPos().x - pushedBefore, 2.0f);
    EXPECT_FALSE(top->IsAsleep());
}

// A body whose geometries are prepared again (as a car's are at load) finds
// the room for its pairs made the first time: only the first preparation of
// each body takes blocks from the library for it.
TEST(SteppingHeap, ABodyPreparedAgainMakesNoMoreRoomForItsPairs)
{
    CountLibraryBlocks counting;
    SteppingWorld world;
    PhRigidBody* first = world.Box(V(1, 1, 1), 1, V(0, 0, 0.5f));
    // The same shape: what its preparation takes is its pairs' room.
    const int beforeSecond = g_blocks.load();
    PhRigidBody* second = world.Box(V(1, 1, 1), 1, V(3, 0, 0.5f));
    EXPECT_GT(g_blocks.load() - beforeSecond, 0);
    const int before = g_blocks.load();
    for (int again = 0; again < 3; ++again) {
        first->UpdateBoundingInfo();
        second->UpdateBoundingInfo();
    }
    EXPECT_EQ(g_blocks.load() - before, 0);
}
