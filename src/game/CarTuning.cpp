#include "game/Car.h"

float* CPCar::TuningField(std::int32_t index)
{
    float* const fields[kTuningCount] = {
        &m_sensorInset,   &m_sensorHeight,  &m_sensorLength, &m_wheelRadius,   &m_frontMinRadius,
        &m_backMinRadius, &m_springFront,   &m_springRear,   &m_damping,       &m_maxFrontSpeed,
        &m_maxRearSpeed,  &m_frictionFront, &m_frictionBack, &m_slideFriction, &m_accelFront,
        &m_accelBack,     &m_brake,         &m_yawInertion,  &m_pitchInertion,
    };
    if (index < 0 || index >= kTuningCount)
        return nullptr;
    return fields[index];
}
