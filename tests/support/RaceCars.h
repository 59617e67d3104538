#pragma once

#include <vector>

class CPLevel;
class CPPlayer;

// The cars of the level's race: the player's, then the opponents.
std::vector<CPPlayer*> RaceCars(const CPLevel& level);
