#pragma once

#include <cstdint>
#include <string>

// What an object record of a level file stands for, read from its name.
enum class CPLevelObjectKind {
    kPlayer,         // "player": the player's start
    kEnemy,          // "enemy...": an opponent's start
    kCheckpointGate, // "che...": a model, "," and seconds
    kNumbered,       // "chk", a number, one separator and a model
    kEnemySource,    // "src", one separator and the source name
    kStartPostLeft,  // "stolb_start_left"
    kStartPostRight, // "stolb_start_right"
    kScene,          // anything else: a scene object of that model
};

struct CPLevelObjectName {
    CPLevelObjectKind kind = CPLevelObjectKind::kScene;
    // The scene file is the model followed by ".rdf" (gates, numbered and
    // scene objects); for an opponent's start, the name after "enemy".
    std::string model;
    // A gate's number after the ",".
    float seconds = 0.0f;
    // A numbered object's number.
    std::int32_t number = 0;
    // An enemy source's name.
    std::string source;
};

// The name without its trailing decimal digits.
std::string StripTrailingDigits(const std::string& name);

// Sorts a record by its name. The whole-name tests ("player", the start
// posts) and the prefix tests look at the name without trailing digits;
// the numbers and the source name are read from the name as written.
CPLevelObjectName ClassifyLevelObject(const std::string& name);

// The model of an opponent whose start names the slot code ("1_" to "5_")
// for the player's model; any other slot, or a player model outside the
// table, is itself the model.
std::string ChooseOpponentModel(const std::string& slot, const std::string& playerModel);

// The model every opponent of the level drives, or "" when the level keeps
// its own ("level1" to "level10" have one each).
std::string LevelOpponentModel(const std::string& levelName);
