#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Singletons.h"
#include "core/Task.h"
#include "platform/MathTypes.h"

class AI_Vehicle;

// The controls a driver decides on for one frame.
struct CPDriverCommand {
    float throttle = 0.0f;
    // Positive steers right (clockwise seen from above), as the car takes it.
    float steering = 0.0f;
    bool brake = false;
};

// Keeps the computer drivers (the opponents, then the traffic) and, each
// frame, steers every driver whose car has reported to it: a pursuit of a
// point on the path spline one look-ahead in front of the car, with a
// speed that falls as the turn sharpens. The drivers are owned here.
class CPAIManager : public CPTask {
  public:
    static constexpr int kPriority = taskpriority::kAIManager;
    static constexpr int kTaskType = 100;
    static constexpr std::size_t kOpponentCount = 5;
    // How far around the last known path line the nearest line is sought.
    static constexpr float kSearchHalfSize = 40.0f;
    static constexpr float kCruiseSpeed = 40.0f;
    // The cruise speed falls by up to this share in the sharpest turns.
    static constexpr float kTurnSlowdown = 0.6f;
    // Steering per radian of heading error, before the car's limit.
    static constexpr float kSteeringGain = 1.5f;
    static constexpr float kMaxSteering = 0.7f;
    // Speed missing from the target at which the throttle is fully open.
    static constexpr float kThrottleRange = 10.0f;
    // Speed above the target at which the driver brakes.
    static constexpr float kBrakeMargin = 5.0f;
    // A slower car up to this far ahead and this near the driver's line
    // of travel is passed: the aim moves this far to the other side.
    static constexpr float kPassAhead = 20.0f;
    static constexpr float kPassWidth = 3.0f;
    static constexpr float kPassShift = 4.0f;

    CPAIManager();
    ~CPAIManager() override;
    CPAIManager(const CPAIManager&) = delete;
    CPAIManager& operator=(const CPAIManager&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPAIManager); }
    std::string GetTypeName() const override { return "CPAIManager"; }
    int GetTaskType() const override { return kTaskType; }

    // New drivers, owned by the manager.
    AI_Vehicle* AddOpponent();
    AI_Vehicle* AddTraffic();
    const std::vector<AI_Vehicle*>& GetOpponents() const { return m_opponents; }
    const std::vector<AI_Vehicle*>& GetTraffic() const { return m_traffic; }
    // Null outside the list.
    AI_Vehicle* GetOpponent(std::size_t index) const;

    // Releases every driver's car, then deletes the drivers of both lists.
    void ClearDrivers();

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }

    // The level's traffic count, and whether the traffic drivers steer.
    std::int32_t GetTrafficCount() const { return m_trafficCount; }
    void SetTrafficCount(std::int32_t count) { m_trafficCount = count; }
    bool IsTrafficOn() const { return m_trafficOn; }
    void SetTrafficOn(bool on) { m_trafficOn = on; }

    // Steers every driver that has a car, while enabled (the traffic only
    // while its switch is on).
    void Step() override;

    // The controls for one driver, from its last report and the path
    // spline; moves the driver's path line to the line nearest the car. A
    // driver without a path to follow stops: no throttle, the brake on.
    // With the manager given, a slower driver of its lists close ahead is
    // passed on its other side.
    static CPDriverCommand Decide(AI_Vehicle& driver, const CPAIManager* others = nullptr);
    // How far across its line of travel the driver moves its aim to pass
    // the nearest slower car of the lists ahead of it; zero with none.
    Vector3 PassingShift(const AI_Vehicle& driver) const;
    // Hands the command to the car: a driving model, a car object (through
    // its driver controls) or anything else that takes driver controls;
    // false when the object takes no controls.
    static bool Apply(const CPDriverCommand& command, CPObject* carObject);

  private:
    std::vector<AI_Vehicle*> m_opponents;
    std::vector<AI_Vehicle*> m_traffic;
    bool m_enabled = true;
    std::int32_t m_trafficCount = 0;
    bool m_trafficOn = true;
};
