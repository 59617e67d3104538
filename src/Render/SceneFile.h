#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

// One render description: the key = value lines of a scene file's section,
// keys and values lower-cased.
using SceneSection = std::unordered_map<std::string, std::string>;
// The sections of a scene file by lower-cased name.
using SceneSections = std::map<std::string, SceneSection>;

// The text of a scene description file, taken apart. The first line's
// value is the mesh entry (a mesh file, or "empty"); later lines are
// section headers or key = value lines. The list keys collect their values
// over the whole file whatever section they stand in; "linecolor",
// "description" and "shadowtextures" keep their last value; any other key
// goes into the current section (a value line before the first header
// with such a key is lost).
struct SceneFile {
    std::string name; // the scene file's name, as asked for
    std::string meshEntry;
    SceneSections sections;
    std::vector<std::string> sprites;
    std::vector<std::string> lights;
    std::vector<std::string> particleSystems;
    std::vector<std::string> levelsOfDetail;
    std::vector<std::string> lineKeyPoints;
    std::string lineColor;
    std::string description;
    std::string shadowTextures;

    // The section of that name, or an empty one.
    const SceneSection& Section(const std::string& sectionName) const;
};

// Takes the text apart; never fails (a file without lines has an empty
// mesh entry and nothing else).
void ParseSceneFile(const char* data, int size, SceneFile& scene);

// The fields of a text cut at the delimiter with quoting on; missing
// fields read as "" through Field.
std::vector<std::string> SplitFields(const std::string& text, const std::string& delimiter);
const std::string& Field(const std::vector<std::string>& fields, std::size_t index);
