#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "Render/ImpactReach.h"
#include "core/BoundingBox.h"
#include "platform/Math.h"
#include "platform/MatrixMath.h"

namespace {

constexpr float kReach = 1.7f; // as far as an impact reaches its zones

// A zone box as a car leaves it: a local box turned and carried with the
// car, wherever on the track the car is.
CPBoundingBox PlacedBox(const Vector3& centre, const Vector3& half, const Matrix4& world)
{
    CPBoundingBox box(centre, half);
    box.worldMatrix = world;
    box.Transform();
    return box;
}

bool Hits(const CPBoundingBox& box, const Vector3& origin, const Vector3& direction)
{
    float nearest = kReach;
    Plane face;
    return box.IntersectRay(origin, direction, nearest, face);
}

} // namespace

// The filter stands in front of the exact test for every zone of every
// impact, so it must never turn away a ray the exact test hits, however the
// box is turned, however far out on the track, and for rays that only graze
// an edge or run along the axes.
TEST(ImpactReach, PassesEveryRayTheBoxTestHits)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> size(0.001f, 1.0f);
    int hits = 0, passedOver = 0;
    for (int b = 0; b < 400; ++b) {
        const Vector3 centre{unit(random), unit(random), unit(random)};
        const Vector3 half{size(random), size(random), size(random)};
        const Matrix4 world =
            RotationMatrixYawPitchRoll(3.2f * unit(random), 3.2f * unit(random), 3.2f * unit(random)) *
            TranslationMatrix(600.0f * unit(random), 600.0f * unit(random), 50.0f * unit(random));
        const CPBoundingBox box = PlacedBox(centre, half, world);
        const Vector3 middle = (box.minimum + box.maximum) * 0.5f;
        const Vector3* corners = box.Corners();
        for (int r = 0; r < 400; ++r) {
            Vector3 origin = middle + Vector3{unit(random), unit(random), unit(random)} * 3.0f;
            Vector3 direction{unit(random), unit(random), unit(random)};
            switch (r % 4) {
            case 1: // aimed at a corner: grazing rays
                direction = corners[r % 8] - origin;
                break;
            case 2: // along an axis, the other components zero
                direction = Vector3{0, 0, 0};
                (r % 3 == 0 ? direction.x : r % 3 == 1 ? direction.y : direction.z) = unit(random);
                break;
            case 3: // from a corner outwards or across
                origin = corners[(r / 4) % 8];
                break;
            default:
                break;
            }
            const float length = Length(direction);
            if (length > 0.0f)
                direction = direction * (1.0f / length);
            const bool hit = Hits(box, origin, direction);
            const bool may = ImpactMayReach(box, origin, direction, kReach);
            EXPECT_TRUE(may || !hit) << "box " << b << " ray " << r;
            hits += hit ? 1 : 0;
            passedOver += may ? 0 : 1;
        }
    }
    // Both sides are well represented, or the check above proves little.
    EXPECT_GT(hits, 10000);
    EXPECT_GT(passedOver, 10000);
}

TEST(ImpactReach, PassesOverRaysThatStayClearAndKeepsThoseNear)
{
    const CPBoundingBox box = PlacedBox({0, 0, 0}, {0.5f, 0.5f, 0.5f}, TranslationMatrix(100, 0, 0));
    const struct {
        Vector3 origin, direction;
        bool may;
    } cases[] = {
        {{98.0f, 0, 0}, {1, 0, 0}, true},      // reaches the face
        {{97.0f, 0, 0}, {1, 0, 0}, false},     // stops 0.8 short of it
        {{98.0f, 0, 0}, {-1, 0, 0}, false},    // runs away from it
        {{98.0f, 0.6f, 0}, {1, 0, 0}, false},  // passes beside it
        {{98.0f, 0.505f, 0}, {1, 0, 0}, true}, // grazes it: left to the exact test
        {{100.2f, 0.2f, 0}, {0, 0, 0}, true},  // no direction, inside
        {{101.0f, 0, 0}, {0, 0, 0}, false},    // no direction, outside
        {{NAN, 0, 0}, {1, 0, 0}, true},        // not a number: left to the exact test
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImpactMayReach(box, c.origin, c.direction, kReach), c.may)
            << c.origin.x << " " << c.origin.y << " along " << c.direction.x;
}
