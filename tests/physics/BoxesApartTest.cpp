#include <algorithm>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include <btBulletCollisionCommon.h>

#include "physics/BoxesApart.h"

namespace {

btTransform Turned(float degreesAboutZ, const btVector3& at)
{
    return btTransform(btQuaternion(btVector3(0, 0, 1), degreesAboutZ * SIMD_PI / 180.0f), at);
}

struct Case {
    const char* name;
    btVector3 halfA, halfB;
    btTransform ta, tb;
    float gap;
    bool apart;
};

} // namespace

TEST(BoxesApart, AFaceAxisProvesTheGapOnlyWhenItIsThere)
{
    const btVector3 unit(0.5f, 0.5f, 0.5f);
    const btTransform here = btTransform::getIdentity();
    // Twice the size through the axes' length rather than the extents.
    const btTransform doubled(btMatrix3x3(2, 0, 0, 0, 2, 0, 0, 0, 2), btVector3(0, 0, 0));
    // An edge of each turned towards the other, crossed: 1.5 - 2 x 0.707
    // = 0.086 apart, along the edges' cross product alone.
    const btTransform edgeUp(btQuaternion(btVector3(0, 1, 0), 0.25f * SIMD_PI), btVector3(0, 0, 0));
    const btTransform edgeDown(btQuaternion(btVector3(1, 0, 0), 0.25f * SIMD_PI), btVector3(0, 0, 1.5f));
    const Case cases[] = {
        {"faces 0.3 apart, gap 0.2", unit, unit, here, Turned(0, btVector3(1.3f, 0, 0)), 0.2f, true},
        {"faces 0.3 apart, gap 0.35", unit, unit, here, Turned(0, btVector3(1.3f, 0, 0)), 0.35f, false},
        {"apart along y and z only", unit, unit, here, Turned(0, btVector3(0.2f, 0.1f, -1.25f)), 0.2f, true},
        // B's corner reaches 0.707 towards A: 1.5 - 0.5 - 0.707 = 0.293.
        {"a corner 0.293 away, gap 0.25", unit, unit, here, Turned(45, btVector3(1.5f, 0, 0)), 0.25f, true},
        {"a corner 0.293 away, gap 0.3", unit, unit, here, Turned(45, btVector3(1.5f, 0, 0)), 0.3f, false},
        // A's corner towards B, seen along B's axes.
        {"A turned, B plain", unit, unit, Turned(45, btVector3(0, 0, 0)), Turned(0, btVector3(1.5f, 0, 0)),
         0.25f, true},
        {"overlapping", unit, btVector3(1, 0.2f, 0.2f), here, Turned(30, btVector3(0.9f, 0.3f, 0)), 0.0f,
         false},
        {"touching", unit, unit, here, Turned(0, btVector3(1.0f, 0, 0)), 0.0f, false},
        {"long axes reach twice as far", unit, unit, doubled, Turned(0, btVector3(2.0f, 0, 0)), 0.4f, true},
        {"long axes reach twice as far, gap 0.6", unit, unit, doubled, Turned(0, btVector3(2.0f, 0, 0)), 0.6f,
         false},
        {"crossed edges 0.086 apart", unit, unit, edgeUp, edgeDown, 0.01f, false},
    };
    for (const Case& c : cases) {
        btBoxShape a(c.halfA), b(c.halfB);
        EXPECT_EQ(PhBoxesApart(a, c.ta, b, c.tb, c.gap), c.apart) << c.name;
        // The question is the same either way round.
        EXPECT_EQ(PhBoxesApart(b, c.tb, a, c.ta, c.gap), c.apart) << c.name << ", turned round";
    }
}

// The stepping leaves out the contact search of two boxes the test calls
// apart by both margins and the breaking threshold: the search, made as the
// stepping makes it, must find nothing there. Pairs are brought together
// along random lines to the very distance the test stops calling them
// apart, and searched just beyond it.
TEST(BoxesApart, TheContactSearchFindsNothingBetweenBoxesItCallsApart)
{
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    configuration.setConvexConvexMultipointIterations(3, 3);
    dispatcher.registerCollisionCreateFunc(BOX_SHAPE_PROXYTYPE, BOX_SHAPE_PROXYTYPE,
                                           configuration.getCollisionAlgorithmCreateFunc(
                                               CONVEX_HULL_SHAPE_PROXYTYPE, CONVEX_HULL_SHAPE_PROXYTYPE));
    btDispatcherInfo info;

    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), size(0.05f, 2.0f), share(0.0f, 1.0f);
    auto direction = [&]() {
        btVector3 v;
        do
            v = btVector3(unit(random), unit(random), unit(random));
        while (v.length2() < 0.01f || v.length2() > 1.0f);
        return v.normalized();
    };
    auto turn = [&]() { return btQuaternion(direction(), SIMD_PI * unit(random)); };

    int searched = 0, touching = 0;
    for (int pair = 0; pair < 3000; ++pair) {
        const btVector3 halfA(size(random), size(random), size(random));
        const btVector3 halfB(size(random), size(random), size(random));
        btBoxShape a(halfA), b(halfB);
        // As the stepping makes its boxes.
        a.setMargin(std::min(0.02f, 0.5f * halfA[halfA.minAxis()]));
        b.setMargin(std::min(0.02f, 0.5f * halfB[halfB.minAxis()]));
        a.initializePolyhedralFeatures();
        b.initializePolyhedralFeatures();
        const float threshold = 0.02f + 0.05f * share(random);
        const float gap = a.getMargin() + b.getMargin() + threshold;
        const btVector3 centre(100.0f * unit(random), 100.0f * unit(random), 10.0f * unit(random));
        const btTransform ta(turn(), centre);
        const btQuaternion turnB = turn();
        const btVector3 line = direction();
        // The distance along the line where the test stops calling them
        // apart, halved down to a hair.
        float near = 0.0f, far = 2.0f * (halfA.length() + halfB.length()) + gap + 1.0f;
        for (int i = 0; i < 40; ++i) {
            const float mid = 0.5f * (near + far);
            (PhBoxesApart(a, ta, b, btTransform(turnB, centre + line * mid), gap) ? far : near) = mid;
        }
        for (float beyond : {far, far + 1e-3f, far + 0.05f, 0.8f * near}) {
            const btTransform tb(turnB, centre + line * beyond);
            const bool apart = PhBoxesApart(a, ta, b, tb, gap);
            btCollisionObject objectA, objectB;
            objectA.setCollisionShape(&a);
            objectB.setCollisionShape(&b);
            objectA.setWorldTransform(ta);
            objectB.setWorldTransform(tb);
            const btCollisionObjectWrapper wa(nullptr, &a, &objectA, ta, -1, -1);
            const btCollisionObjectWrapper wb(nullptr, &b, &objectB, tb, -1, -1);
            btPersistentManifold manifold;
            manifold.setBodies(&objectA, &objectB);
            manifold.setContactBreakingThreshold(threshold);
            btCollisionAlgorithm* algorithm =
                dispatcher.findAlgorithm(&wa, &wb, &manifold, BT_CONTACT_POINT_ALGORITHMS);
            ASSERT_NE(algorithm, nullptr);
            btManifoldResult result(&wa, &wb);
            result.setPersistentManifold(&manifold);
            algorithm->processCollision(&wa, &wb, info, &result);
            algorithm->~btCollisionAlgorithm();
            dispatcher.freeCollisionAlgorithm(algorithm);
            if (apart) {
                ++searched;
                ASSERT_EQ(manifold.getNumContacts(), 0) << "pair " << pair << " at " << beyond;
            } else if (manifold.getNumContacts() > 0) {
                ++touching;
            }
        }
    }
    // Both sides of the line were met: apart pairs at the limit, and pairs
    // close enough to touch.
    EXPECT_GT(searched, 5000);
    EXPECT_GT(touching, 1000);
}
