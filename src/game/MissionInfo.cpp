#include "game/MissionInfo.h"

#include <cstdlib>

#include "core/Tokenizer.h"

namespace {

constexpr std::size_t kCheckpointFields = 7;
constexpr std::size_t kSourceFields = 5;

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    CPTokenizer tokenizer(line, " ", true);
    std::string token;
    while (tokenizer.NextToken(token))
        fields.push_back(token);
    return fields;
}

bool CheckFieldCount(const std::vector<std::string>& fields, std::size_t expected, std::string& reason)
{
    if (fields.size() >= expected)
        return true;
    reason = "it has " + std::to_string(fields.size()) + " of " + std::to_string(expected) + " fields";
    return false;
}

float ToFloat(const std::string& text) { return static_cast<float>(std::atof(text.c_str())); }
std::int32_t ToInt(const std::string& text) { return static_cast<std::int32_t>(std::atoi(text.c_str())); }

const Vector3* FindPosition(const CPSourcePositions* positions, const std::string& name)
{
    if (!positions)
        return nullptr;
    const auto found = positions->find(name);
    return found == positions->end() ? nullptr : &found->second;
}

} // namespace

bool ParseCheckpointLine(const std::string& line, CPCheckpointInfo& checkpoint, std::string& reason)
{
    const std::vector<std::string> fields = SplitFields(line);
    if (!CheckFieldCount(fields, kCheckpointFields, reason))
        return false;
    checkpoint = CPCheckpointInfo();
    checkpoint.value = ToFloat(fields[0]);
    for (int i = 0; i < 3; ++i)
        checkpoint.values[i] = ToInt(fields[1 + i]);
    if (!ParseWeightedNames(fields[4], checkpoint.enemies, reason))
        return false;
    checkpoint.bonusChance = ToInt(fields[5]);
    return ParseWeightedNames(fields[6], checkpoint.bonuses, reason);
}

bool ParseSourceLine(const std::string& line, const CPSourcePositions* positions, std::string& group,
                     CPSourceInfo& source, std::string& reason)
{
    const std::vector<std::string> fields = SplitFields(line);
    if (!CheckFieldCount(fields, kSourceFields, reason))
        return false;
    source = CPSourceInfo();
    group = fields[1];
    source.flag = fields[2] == "0" ? 0 : 1;
    source.value = ToFloat(fields[3]);
    if (!ParseWeightedNames(fields[4], source.enemies, reason))
        return false;
    reason.clear();
    const Vector3* position = FindPosition(positions, fields[0]);
    if (position)
        source.position = *position;
    else
        reason = "the level has no source \"" + fields[0] + "\"";
    return true;
}
