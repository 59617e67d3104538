#include "physics/Sparks.h"

#include <cmath>
#include <cstdint>

#include "Render/EffectManager.h"
#include "Render/EffectNode.h"
#include "core/GameClock.h"
#include "platform/Math.h"
#include "platform/Random.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kGravity = -9.8f;
constexpr float kRandScale = 1.0f / static_cast<float>(platform::kRandMax);

struct SparkTimer {
    float seconds = 0.0f;
    std::uint32_t frame = 0;
};

SparkTimer& TheSparkTimer()
{
    static SparkTimer timer;
    return timer;
}

// A random number from 0 to 1.
float Unit() { return static_cast<float>(platform::Rand()) * kRandScale; }

} // namespace

int EmitSparks(const Vector3& position, const Vector3& direction, int count)
{
    CPEffectManager* effects = GetEffectManager();
    if (!effects || count <= 0)
        return 0;
    const int granted = CPEffectManager::ReserveRequests(count);

    EffectNode spark;
    spark.name = kSparkEffectName;
    spark.position = position;
    spark.word2 = 0.0f;
    spark.word3 = 1.0f;
    spark.flag1 = 1;
    spark.flag2 = 1;
    for (int i = 0; i < granted; ++i) {
        // The draws go in this order: lifetime, fall share, heading, tilt,
        // spread speed.
        spark.word1 = 0.01f + 0.02f * Unit();
        const float fall = Unit();
        const float heading = static_cast<float>(platform::Rand() % 360) * kDegreesToRadians;
        const float tilt = static_cast<float>(platform::Rand() % 45) * kDegreesToRadians;
        const float speed = 0.5f + 5.5f * Unit();
        const float spread = speed * std::sin(tilt);
        spark.velocity = direction + Vector3{spread * std::cos(heading), spread * std::sin(heading), 0.0f};
        spark.vectorC = fall * direction + Vector3{0.0f, 0.0f, kGravity};
        effects->SpawnEffect(spark);
    }
    return granted;
}

void AdvanceSparkTimer()
{
    SparkTimer& timer = TheSparkTimer();
    const GameClock& clock = GetGameClock();
    if (clock.frameCount == timer.frame)
        return;
    timer.frame = clock.frameCount;
    // A frame time that is no number would stop the timer for good.
    if (std::isfinite(clock.frameTime) && clock.frameTime > 0.0f)
        timer.seconds += clock.frameTime;
}

float GetSparkTimer() { return TheSparkTimer().seconds; }

void ClearSparkTimer() { TheSparkTimer().seconds = 0.0f; }

void ResetSparkTimer() { TheSparkTimer() = SparkTimer(); }
