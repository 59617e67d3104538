#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/SourcePositions.h"
#include "game/WeightedName.h"
#include "platform/MathTypes.h"

// One checkpoint of the current mission: what enemies it may bring and
// what bonus it may leave. The numbers before the lists are read by the
// scripts.
struct CPCheckpointInfo {
    float value = 0.0f;
    std::int32_t values[3] = {0, 0, 0};
    std::int32_t spare = 0;
    CPWeightedNames enemies;
    std::int32_t bonusChance = 0; // percent
    CPWeightedNames bonuses;
};

// A place of the current level that enemies of a group come from.
struct CPSourceInfo {
    Vector3 position;
    std::uint8_t flag = 0;
    float value = 0.0f;
    std::int32_t spare[2] = {0, 0};
    CPWeightedNames enemies;
};

using CPEnemySources = std::map<std::string, std::vector<CPSourceInfo>>;

// Reads one checkpoint line of a mission list: a float, three integers,
// the enemy choices, the bonus chance and the bonus choices, cut at " "
// with quotes allowed. False with a reason when a field is missing or a
// list is malformed.
bool ParseCheckpointLine(const std::string& line, CPCheckpointInfo& checkpoint, std::string& reason);

// Reads one source line: the source object's name, the group, the flag
// ("0" or anything else for 1), a float and the enemy choices. The
// position comes from the level's table; a name it lacks (or no table)
// stands at the origin and is reported in the reason while the line still
// counts. Returns false only when the line itself is malformed.
bool ParseSourceLine(const std::string& line, const CPSourcePositions* positions, std::string& group,
                     CPSourceInfo& source, std::string& reason);
