// The wheels of the sample race's cars, checked against the plain working
// of what the car step now takes short cuts to: the steered wheels keep the
// cosine and sine of the steering from step to step, and the wheels are
// turned and placed only at the last step of a frame.
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/GameHost.h"
#include "core/GameObject.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "physics/Rotation.h"
#include "script/ScriptHost.h"
#include "support/RaceCars.h"

namespace {

} // namespace

TEST(SampleWheels, EveryWheelTurnsAsItsSpinAndSteeringComposeFromScratch)
{
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = std::string(RS_SOURCE_DIR) + "/data/sample";
    auto host = std::make_unique<GameHost>(options);
    ASSERT_TRUE(host->StartLevel("level1"));
    ASSERT_TRUE(host->GetScriptHost().RunText("SetActions(true)", "keys on"));
    const std::vector<CPCar*> cars = RaceCarPhysics(*host->GetLevel());
    ASSERT_EQ(cars.size(), 8u);

    std::set<float> steerings;
    int compared = 0;
    for (int frame = 0; frame < 400; ++frame) {
        host->Run();
        for (CPCar* car : cars) {
            ASSERT_NE(car, nullptr);
            steerings.insert(car->GetSteering());
            for (int i = 0; i < car->GetWheelCount(); ++i) {
                const CPCar::Wheel& wheel = car->GetWheel(i);
                const auto* object = wheel.object.As<CPGameObject>();
                if (!object)
                    continue;
                const float steer = i < 2 ? -car->GetSteering() : 0.0f;
                const Quaternion plain = ComposeRotation(wheel.spin, steer);
                const Quaternion& turned = object->GetRotation();
                ASSERT_EQ(std::memcmp(&plain, &turned, sizeof plain), 0)
                    << "frame " << frame << ", wheel " << i << ", spin " << wheel.spin << ", steering "
                    << steer;
                // A frame's first steps leave the wheels to its last: what the
                // frame ends with is where the last step put them.
                const Vector3 place{wheel.restPosition.x, wheel.restPosition.y,
                                    wheel.suspensionOffset + car->GetSensorHeight()};
                const Vector3& placed = object->GetPosition();
                ASSERT_EQ(std::memcmp(&place, &placed, sizeof place), 0)
                    << "frame " << frame << ", wheel " << i;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 0);
    // The drivers steer both ways and straight on the way round.
    EXPECT_GT(steerings.size(), 10u);
}
