#include "Render/SceneFile.h"

#include "core/StringUtils.h"
#include "core/TextReader.h"
#include "core/Tokenizer.h"

namespace {

// Where each list key collects its values.
std::vector<std::string>* ListOf(SceneFile& scene, const std::string& key)
{
    if (key == "sprite")
        return &scene.sprites;
    if (key == "light")
        return &scene.lights;
    if (key == "psystem")
        return &scene.particleSystems;
    if (key == "lod")
        return &scene.levelsOfDetail;
    if (key == "linekeypoint")
        return &scene.lineKeyPoints;
    return nullptr;
}

std::string* SingleValueOf(SceneFile& scene, const std::string& key)
{
    if (key == "linecolor")
        return &scene.lineColor;
    if (key == "description")
        return &scene.description;
    if (key == "shadowtextures")
        return &scene.shadowTextures;
    return nullptr;
}

void CutKeyValue(const std::string& line, std::string& key, std::string& value)
{
    CPTokenizer tokenizer(line, "=", true);
    tokenizer.NextToken(key);
    tokenizer.NextToken(value);
}

void TakeValueLine(SceneFile& scene, const std::string& line, SceneSection* current)
{
    std::string key;
    std::string value;
    CutKeyValue(line, key, value);
    ToLowerString(key);
    ToLowerString(value);
    if (std::vector<std::string>* list = ListOf(scene, key)) {
        list->push_back(value);
        return;
    }
    if (std::string* single = SingleValueOf(scene, key)) {
        *single = value;
        return;
    }
    if (current)
        (*current)[key] = value;
}

} // namespace

const SceneSection& SceneFile::Section(const std::string& sectionName) const
{
    static const SceneSection kEmpty;
    const auto found = sections.find(sectionName);
    return found == sections.end() ? kEmpty : found->second;
}

void ParseSceneFile(const char* data, int size, SceneFile& scene)
{
    CPTextReader reader(data, size);
    std::string line;
    if (!reader.GetLine(line) && reader.IsValueLine() != 0)
        return;
    std::string key;
    CutKeyValue(line, key, scene.meshEntry);

    SceneSection* current = nullptr;
    // A bare "[]" header reads as an empty line although more may follow:
    // only an empty value line means the data has ended.
    bool isHeader = false;
    while (reader.NextEntry(line, isHeader)) {
        if (isHeader) {
            ToLowerString(line);
            current = &scene.sections[line];
            continue;
        }
        TakeValueLine(scene, line, current);
    }
}

std::vector<std::string> SplitFields(const std::string& text, const std::string& delimiter)
{
    std::vector<std::string> fields;
    CPTokenizer tokenizer(text, delimiter, true);
    std::string token;
    while (tokenizer.NextToken(token))
        fields.push_back(token);
    return fields;
}

const std::string& Field(const std::vector<std::string>& fields, std::size_t index)
{
    static const std::string kEmpty;
    return index < fields.size() ? fields[index] : kEmpty;
}
