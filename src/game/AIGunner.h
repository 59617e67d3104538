#pragma once

#include <vector>

class AI_Vehicle;
class CPGameObject;
class CPLevel;
class CPPlayer;

// The guns of the computer-driven cars. Each driven car's selected weapon
// turns to the nearest other car in its sights, within range, and the
// trigger is held while there is one; the weapon step then fires as the
// player's does (cooldown, ammunition, flares).
namespace ai_gunner {

// The car a gun on the shooter would take: the nearest other car that is
// not wrecked, at most the range away and within the sights either side of
// the shooter's nose; null when there is none.
CPPlayer* TargetOf(const CPPlayer& shooter, CPLevel& level);

// One frame for every driver whose car is a car object.
void Step(const std::vector<AI_Vehicle*>& drivers);

} // namespace ai_gunner
