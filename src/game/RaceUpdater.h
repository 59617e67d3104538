#pragma once

#include "core/Object.h"
#include "core/TaskPriorities.h"

class CPLevel;

// The kernel task that runs the level's race step once a frame, then steps
// the race's shots: a CPObjUpdater bound to CPLevel::UpdateRace, task type
// 0, priority 500. Shots fly after the race moved the cars, so a shot
// fired this frame starts from where its car now stands.
// The level owns it (its first task slot) and deletes it once it has left
// the kernel.
constexpr int kRaceUpdaterPriority = taskpriority::kRaceProgress;
CPObjectPtr MakeRaceUpdater(CPLevel& level);
