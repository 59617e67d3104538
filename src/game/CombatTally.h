#pragma once

#include <cstdint>

// What the human player's car did in combat since the game started,
// races after one another; the host tells it when the run ends.
struct CPCombatTally {
    std::int32_t shotsFired = 0;   // every projectile launched, each pellet one
    std::int32_t hits = 0;         // of those, the ones that struck a car or an enemy
    std::int32_t bonusesTaken = 0; // pick-ups the car took off the track
    std::int32_t carsWrecked = 0;  // other cars whose health ran out after its shot struck them last
};
