#pragma once

#include <map>
#include <string>

// What the scripts keep about one kind of enemy, by the kind's name: two
// numbers and three texts whose meaning is the scripts'.
struct CPEnemyData {
    float value1 = 0.0f;
    float value2 = 0.0f;
    std::string text1;
    std::string text2;
    std::string text3;
};

using CPEnemyDataTable = std::map<std::string, CPEnemyData>;
