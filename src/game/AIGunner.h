#pragma once

#include <vector>

class AI_Vehicle;
class CPGameObject;
class CPLevel;
class CPPlayer;

// The guns of the computer-driven cars. Each driven car's selected weapon
// turns to the nearest other car in its sights, within range. The guns are
// quiet while the field leaves the grid; after that a car in the sights
// draws a short burst, and the gun rests a while before the next, so the
// weapon step fires as the player's does (cooldown, ammunition, flares)
// without the field shooting itself to pieces.
namespace ai_gunner {

// Seconds after the race's start before any computer driver fires: the
// grid stands bunched nose to tail until then.
constexpr float kHoldFire = 8.0f;
// The trigger is held this long for a car in the sights...
constexpr float kBurst = 0.5f;
// ...and the gun rests this long after it.
constexpr float kRest = 6.0f;

// The car a gun on the shooter would take: the nearest other car that is
// not wrecked, at most the range away and within the sights either side of
// the shooter's nose; null when there is none.
CPPlayer* TargetOf(const CPPlayer& shooter, CPLevel& level);

// Whether a driver's trigger is held this frame of frame time dt, with or
// without a car in its sights; steps its burst and rest.
bool HoldsTrigger(AI_Vehicle& driver, bool targetInSights, float dt);

// One frame for every driver whose car is a car object.
void Step(const std::vector<AI_Vehicle*>& drivers);

} // namespace ai_gunner
