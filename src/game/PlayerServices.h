#pragma once

#include <string>

#include "platform/MathTypes.h"

class CPLevel;

// Services of the race that a car object calls and that other parts of the
// game provide: the shot manager's launch of a shot by name (the sparks of
// a pick-up) and the level's release of its traffic (the end of the damage
// bonus). They call the shot manager and the level by default, as every
// start of the engine's services puts them back; tests put recorders in
// their place. An empty slot is skipped.
struct CPPlayerServices {
    void (*launchShot)(const std::string& name, const Vector3& position) = nullptr;
    void (*releaseTraffic)(CPLevel& level) = nullptr;
};

CPPlayerServices& GetPlayerServices();
// The shot manager's launch and the level's release.
CPPlayerServices DefaultPlayerServices();
