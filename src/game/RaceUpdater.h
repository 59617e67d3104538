#pragma once

#include "core/Object.h"

class CPLevel;

// The kernel task that runs the level's race step once a frame: a
// CPObjUpdater bound to CPLevel::UpdateRace, task type 0, priority 500.
// The level owns it (its first task slot) and deletes it once it has left
// the kernel.
constexpr int kRaceUpdaterPriority = 500;
CPObjectPtr MakeRaceUpdater(CPLevel& level);
