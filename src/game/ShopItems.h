#pragma once

#include <cstdint>
#include <string>

// The records of the seven shop tables. Each starts with the text key of
// its display name and its price and ends with the mission from which it
// is on offer; the numbers between are the weapon, mine or part values the
// scripts and the race code interpret.

struct CPWeaponInfo {
    std::string nameKey;
    std::int32_t price = 0;
    std::int32_t value1 = 0;
    float groupA1 = 0.0f;
    std::int32_t groupA2 = 0;
    float groupA3 = 0.0f;
    float groupB1 = 0.0f;
    std::int32_t groupB2 = 0;
    float groupB3 = 0.0f;
    float value2 = 0.0f;
    std::string descriptionKey;
    std::int32_t firstMission = 0;
};

struct CPMineInfo {
    std::string nameKey;
    std::int32_t price = 0;
    std::int32_t value1 = 0;
    float value2 = 0.0f;
    float value3 = 0.0f;
    std::int32_t value4 = 0;
    float value5 = 0.0f;
    float value6 = 0.0f;
    float value7 = 0.0f;
    std::string descriptionKey;
    std::int32_t firstMission = 0;
};

struct CPSuperWeaponInfo {
    std::string nameKey;
    std::int32_t price = 0;
    std::string descriptionKey;
    std::int32_t firstMission = 0;
};

// Bumpers, equipment and armour.
struct CPPartInfo {
    std::string nameKey;
    std::int32_t price = 0;
    float value = 0.0f;
    std::string descriptionKey;
    std::int32_t firstMission = 0;
};

struct CPEngineInfo {
    std::string nameKey;
    std::int32_t price = 0;
    float values[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    std::string descriptionKey;
    std::int32_t firstMission = 0;
};
