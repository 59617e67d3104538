#pragma once

#include <vector>

class CPCar;
class CPLevel;
class CPPlayer;

// The cars of the level's race: the player's, then the opponents.
std::vector<CPPlayer*> RaceCars(const CPLevel& level);

// The physics of those cars, in the same order.
std::vector<CPCar*> RaceCarPhysics(const CPLevel& level);
