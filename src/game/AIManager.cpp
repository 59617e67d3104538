#include "game/AIManager.h"

#include <algorithm>
#include <cmath>

#include "core/ObjectCast.h"
#include "game/AIGunner.h"
#include "game/AIVehicle.h"
#include "game/Car.h"
#include "game/DriverControls.h"
#include "game/Player.h"
#include "game/PlayerControls.h"
#include "game/Spline.h"

namespace {

constexpr float kPi = 3.14159265358979f;

float WrapAngle(float angle)
{
    angle = std::fmod(angle, 2.0f * kPi);
    if (angle > kPi)
        angle -= 2.0f * kPi;
    else if (angle <= -kPi)
        angle += 2.0f * kPi;
    return angle;
}

CPDriverCommand Stop()
{
    CPDriverCommand command;
    command.brake = true;
    return command;
}

// The line `count` lines further on in the direction the driver travels:
// towards previous lines normally, towards next lines on a reversed level.
const CPLine* LineAhead(const CPLine* line, int count, bool reversed)
{
    for (int i = 0; i < count; ++i) {
        const CPLine* following = reversed ? line->next : line->previous;
        if (!following)
            break;
        line = following;
    }
    return line;
}

} // namespace

CPAIManager::CPAIManager() { SetPriority(kPriority); }

CPAIManager::~CPAIManager() { ClearDrivers(); }

AI_Vehicle* CPAIManager::AddOpponent()
{
    m_opponents.push_back(new AI_Vehicle());
    return m_opponents.back();
}

AI_Vehicle* CPAIManager::AddTraffic()
{
    m_traffic.push_back(new AI_Vehicle());
    return m_traffic.back();
}

AI_Vehicle* CPAIManager::GetOpponent(std::size_t index) const
{
    return index < m_opponents.size() ? m_opponents[index] : nullptr;
}

void CPAIManager::ClearDrivers()
{
    for (std::vector<AI_Vehicle*>* list : {&m_opponents, &m_traffic}) {
        for (AI_Vehicle* driver : *list)
            driver->ReleaseCar();
        for (AI_Vehicle* driver : *list)
            delete driver;
        list->clear();
    }
}

void CPAIManager::Step()
{
    if (!m_enabled)
        return;
    for (const std::vector<AI_Vehicle*>* list : {&m_opponents, &m_traffic}) {
        if (list == &m_traffic && !m_trafficOn)
            continue;
        for (AI_Vehicle* driver : *list) {
            if (driver->car)
                Apply(Decide(*driver, this), driver->car.Get());
        }
    }
    ai_gunner::Step(m_opponents);
}

Vector3 CPAIManager::PassingShift(const AI_Vehicle& driver) const
{
    const Vector3 h = driver.heading;
    const Vector3 left{-h.y, h.x, 0.0f};
    float nearest = kPassAhead;
    Vector3 shift{};
    for (const std::vector<AI_Vehicle*>* list : {&m_opponents, &m_traffic}) {
        for (const AI_Vehicle* other : *list) {
            if (other == &driver || !other->car || other->speed >= driver.speed)
                continue;
            const float dx = other->position.x - driver.position.x;
            const float dy = other->position.y - driver.position.y;
            const float along = dx * h.x + dy * h.y;
            const float across = dx * left.x + dy * left.y;
            if (along <= 0.0f || along >= nearest || std::fabs(across) > kPassWidth)
                continue;
            nearest = along;
            // Past it on the side it leaves more room.
            const float side = across > 0.0f ? -kPassShift : kPassShift;
            shift = {left.x * side, left.y * side, 0.0f};
        }
    }
    return shift;
}

CPDriverCommand CPAIManager::Decide(AI_Vehicle& driver, const CPAIManager* others)
{
    if (!driver.pathSpline || !driver.pathSpline->GetFirstLine())
        return Stop();
    float offset = kSearchHalfSize;
    driver.pathSpline->FindClosestSegment(driver.position, offset, 0, driver.pathLine, 0);
    if (!driver.pathLine)
        return Stop();

    const int linesAhead =
        std::max(1, static_cast<int>(std::lround(driver.lookAhead / CPSpline::kLineLength)));
    const CPLine* target = LineAhead(driver.pathLine, linesAhead, driver.reversed);
    const Vector3 shift = others ? others->PassingShift(driver) : Vector3{};
    const float dx = target->centre.x + shift.x - driver.position.x;
    const float dy = target->centre.y + shift.y - driver.position.y;
    // Right on the target point the line's own direction is the aim.
    float wanted =
        dx * dx + dy * dy > 1.0f ? std::atan2(dy, dx) : target->angle + (driver.reversed ? kPi : 0.0f);
    // A car with no known heading is taken to face its aim.
    const bool headingKnown = driver.heading.x != 0.0f || driver.heading.y != 0.0f;
    const float error =
        headingKnown ? WrapAngle(wanted - std::atan2(driver.heading.y, driver.heading.x)) : 0.0f;

    CPDriverCommand command;
    // The error counts anticlockwise; the car steers right for positive values.
    command.steering = -std::clamp(kSteeringGain * error, -kMaxSteering, kMaxSteering);
    const float sharpness = std::min(std::fabs(error) / (0.5f * kPi), 1.0f);
    const float targetSpeed = kCruiseSpeed * (1.0f - kTurnSlowdown * sharpness);
    if (driver.speed > targetSpeed + kBrakeMargin) {
        command.brake = true;
        return command;
    }
    command.throttle = std::clamp((targetSpeed - driver.speed) / kThrottleRange, 0.0f, 1.0f);
    return command;
}

bool CPAIManager::Apply(const CPDriverCommand& command, CPObject* carObject)
{
    if (CPCar* car = ObjectCast<CPCar>(carObject)) {
        car->SetControls(command.throttle, command.steering);
        car->SetBrake(command.brake);
        return true;
    }
    if (CPPlayer* player = ObjectCast<CPPlayer>(carObject)) {
        CPPlayerControls controls(*player);
        controls.SetControls(command.throttle, command.steering);
        controls.SetBrake(command.brake);
        return true;
    }
    if (CPDriverControls* controls = ObjectCast<CPDriverControls>(carObject)) {
        controls->SetControls(command.throttle, command.steering);
        controls->SetBrake(command.brake);
        return true;
    }
    return false;
}
