#pragma once

#include <cstdint>
#include <string>

#include "core/Object.h"
#include "platform/MathTypes.h"

class CPGameObject;
class CPSpline;
struct CPLine;
struct PhRigidBody;

// A computer driver's memory of its car and of the track. The race progress
// reports the car's state every frame; the AI manager turns that state into
// the car's controls. The splines and lines belong to the level.
class AI_Vehicle : public CPObject {
  public:
    static constexpr float kDefaultLookAhead = 30.0f;
    enum Which : std::int32_t { kPathLine = 0, kLeftLine = 1, kRightLine = 2 };

    AI_Vehicle();
    ~AI_Vehicle() override;
    AI_Vehicle(const AI_Vehicle&) = delete;
    AI_Vehicle& operator=(const AI_Vehicle&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(AI_Vehicle); }
    std::string GetTypeName() const override { return "AI_Vehicle"; }

    // The per-frame report. A null scene object keeps the last position and
    // body; a direction with no ground part gives a zero heading.
    void Update(CPGameObject* sceneObject, const Vector3& direction, float signedSpeed, CPObjectPtr car,
                std::int32_t rangeMin, std::int32_t rangeMax);
    // 0 sets the path line, 1 the left line, 2 the right line, anything
    // else none; the spline pointers are refreshed from the current level
    // in every case.
    void SetLine(std::int32_t which, CPLine* line);
    void ReleaseCar();

    // Set only here; at the manager's disposal.
    void* link = nullptr;
    std::int32_t counter = 0;
    float factor = 1.0f;

    float speed = 0.0f;
    Vector3 position;
    Vector3 heading;
    CPObjectPtr car;
    std::int32_t spare1 = 0;
    PhRigidBody* body = nullptr;
    bool flags1[2] = {false, false};
    std::int32_t words[2] = {0, 0};
    bool flags2[5] = {false, false, false, false, false};
    float lookAhead = kDefaultLookAhead;
    CPLine* pathLine = nullptr;
    CPLine* leftLine = nullptr;
    CPLine* rightLine = nullptr;
    CPSpline* pathSpline = nullptr;
    CPSpline* leftBorder = nullptr;
    CPSpline* rightBorder = nullptr;
    float clock = 0.0f;
    bool reversed = false;
    bool flag = false;
    std::int32_t rangeMin = 0;
    std::int32_t rangeMax = 0;
    std::int32_t spare2 = 0;

    // The gunner's: seconds the trigger stays held in the burst under way,
    // and seconds before the next burst may start.
    float burstLeft = 0.0f;
    float restLeft = 0.0f;
};
