#pragma once

#include <string>
#include <unordered_map>

#include "platform/MathTypes.h"

// Where the current level's enemy sources stand, by source name. The level
// fills it while loading; the mission list takes the positions of its
// sources from it.
using CPSourcePositions = std::unordered_map<std::string, Vector3>;
