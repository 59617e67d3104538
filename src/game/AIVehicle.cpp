#include "game/AIVehicle.h"

#include <cmath>

#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "physics/PhysicData.h"

AI_Vehicle::AI_Vehicle() : clock(static_cast<float>(GetGameClock().gameTime)) {}

AI_Vehicle::~AI_Vehicle() { ReleaseCar(); }

void AI_Vehicle::Update(CPGameObject* sceneObject, const Vector3& direction, float signedSpeed,
                        CPObjectPtr newCar, std::int32_t newRangeMin, std::int32_t newRangeMax)
{
    rangeMin = newRangeMin;
    rangeMax = newRangeMax;
    if (sceneObject) {
        const CPPhysicData* physics = sceneObject->GetPhysicData();
        body = physics ? physics->GetRigidBody() : nullptr;
        position = sceneObject->GetPosition();
    }
    // A vertical or zero direction has no ground heading; normalising it
    // would give NaN and poison every later steering decision.
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y);
    heading = length > 1e-6f && std::isfinite(length)
                  ? Vector3{direction.x / length, direction.y / length, 0.0f}
                  : Vector3{0.0f, 0.0f, 0.0f};
    speed = std::isfinite(signedSpeed) ? std::fabs(signedSpeed) : 0.0f;
    car = newCar;
    const CPLevel* level = GetCurrentLevel();
    if (level && level->race.reversed)
        reversed = true;
}

void AI_Vehicle::SetLine(std::int32_t which, CPLine* line)
{
    switch (which) {
    case kPathLine:
        pathLine = line;
        break;
    case kLeftLine:
        leftLine = line;
        break;
    case kRightLine:
        rightLine = line;
        break;
    default:
        break;
    }
    const CPLevel* level = GetCurrentLevel();
    pathSpline = level ? level->GetPathSpline() : nullptr;
    leftBorder = level ? level->GetLeftBorder() : nullptr;
    rightBorder = level ? level->GetRightBorder() : nullptr;
}

void AI_Vehicle::ReleaseCar()
{
    if (car)
        car = CPObjectPtr();
}
