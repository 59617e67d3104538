// The wheel sensors of the sample race's cars all run the same way, and the
// step casts them four at a time, one to an SSE lane. A car given one more
// sensor running another way has its sensors cast one by one. The same race
// run both ways must detect the same bits at every wheel in every frame;
// a difference anywhere would also send the cars different ways after it.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/GameHost.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "physics/PhysicsWorld.h"
#include "physics/Simulator.h"
#include "script/ScriptHost.h"
#include "support/RaceCars.h"

namespace {

bool HasSensor(const PhBody& body, const PhSensor* sensor)
{
    for (const PhSensor* s = body.sensors.head; s; s = s->next)
        if (s == sensor)
            return true;
    return false;
}

// The body the car's wheel sensors hang on.
PhRigidBody* BodyOf(const CPCar& car, const PhSimulator& simulator)
{
    const PhSensor* wheel = car.GetWheel(0).sensor;
    const PhSimulator::BodyLists& lists = simulator.GetBodyLists();
    for (const PhList<PhRigidBody>* list : {&lists.rigidActive, &lists.rigidInactive})
        for (PhRigidBody* body = list->head; body; body = body->next)
            if (HasSensor(*body, wheel))
                return body;
    return nullptr;
}

// Every wheel's detection in every frame, as bytes; hits counts the wheels
// that met something.
std::vector<unsigned char> RaceDetections(bool oddSensor, int frames, int& hits)
{
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = std::string(RS_SOURCE_DIR) + "/data/sample";
    auto host = std::make_unique<GameHost>(options);
    std::vector<unsigned char> detected;
    hits = 0;
    if (!host->StartLevel("level1") || !host->GetScriptHost().RunText("SetActions(true)", "keys on")) {
        ADD_FAILURE() << "the sample race does not start";
        return detected;
    }
    const std::vector<CPCar*> cars = RaceCarPhysics(*host->GetLevel());
    EXPECT_EQ(cars.size(), 8u);
    if (oddSensor) {
        PhSimulator* simulator = GetPhysicsWorld() ? GetPhysicsWorld()->GetSimulator() : nullptr;
        if (!simulator) {
            ADD_FAILURE() << "no simulator";
            return detected;
        }
        for (const CPCar* car : cars) {
            PhRigidBody* body = BodyOf(*car, *simulator);
            PhSensor* odd = body ? body->AddSensor() : nullptr;
            if (!odd) {
                ADD_FAILURE() << "no body or no sensor left for a car";
                return detected;
            }
            odd->SetLineSensor(Vector4{0.0f, 0.0f, 0.0f, 0.0f}, Vector4{0.7f, 0.2f, -1.0f, 0.0f});
        }
    }
    for (int frame = 0; frame < frames; ++frame) {
        host->Run();
        for (const CPCar* car : cars) {
            for (int i = 0; i < car->GetWheelCount(); ++i) {
                const PhSensor& s = *car->GetWheel(i).sensor;
                const auto* first = reinterpret_cast<const unsigned char*>(&s.detectNormal);
                detected.insert(detected.end(), first, first + sizeof s.detectNormal);
                first = reinterpret_cast<const unsigned char*>(&s.detectContactPoint);
                detected.insert(detected.end(), first, first + sizeof s.detectContactPoint);
                first = reinterpret_cast<const unsigned char*>(&s.detectDepth);
                detected.insert(detected.end(), first, first + sizeof s.detectDepth);
                hits += s.detectDepth > 0.0f;
            }
        }
    }
    return detected;
}

} // namespace

TEST(SampleSensors, WheelsCastFourAtATimeDetectWhatTheyDetectCastOneByOne)
{
    constexpr int kFrames = 900;
    int togetherHits = 0, aloneHits = 0;
    const std::vector<unsigned char> together = RaceDetections(false, kFrames, togetherHits);
    const std::vector<unsigned char> alone = RaceDetections(true, kFrames, aloneHits);
    ASSERT_EQ(together.size(), alone.size());
    ASSERT_FALSE(together.empty());
    // One record per wheel per frame: name the first that differs.
    constexpr std::size_t kRecord = sizeof(Vector4) * 2 + sizeof(float);
    for (std::size_t at = 0; at < together.size(); at += kRecord)
        ASSERT_EQ(std::memcmp(&together[at], &alone[at], kRecord), 0) << "record " << at / kRecord;
    EXPECT_EQ(togetherHits, aloneHits);
    // The cars drive on the ground: most wheels meet it in most frames.
    EXPECT_GT(togetherHits, kFrames * 8 * 4 / 2);
}
