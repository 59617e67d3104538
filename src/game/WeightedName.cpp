#include "game/WeightedName.h"

#include <cstdlib>
#include <limits>

#include "core/Tokenizer.h"
#include "platform/Random.h"

namespace {

bool AppendEntry(const std::string& entry, CPWeightedNames& names, std::string& reason)
{
    CPTokenizer fields(entry, ",", true);
    CPWeightedName name;
    std::string weightText;
    fields.NextToken(name.name);
    fields.NextToken(weightText);
    const long weight = std::atol(weightText.c_str());
    const std::int32_t lower = names.empty() ? 0 : names.back().upper;
    if (weight < 0) {
        reason = "the weight of \"" + name.name + "\" is negative";
        return false;
    }
    if (weight > std::numeric_limits<std::int32_t>::max() - lower) {
        reason = "the weights add up beyond the largest number";
        return false;
    }
    name.lower = lower;
    name.upper = lower + static_cast<std::int32_t>(weight);
    names.push_back(name);
    return true;
}

} // namespace

bool ParseWeightedNames(const std::string& text, CPWeightedNames& names, std::string& reason)
{
    names.clear();
    CPTokenizer entries(text, ";", true);
    std::string entry;
    while (entries.NextToken(entry)) {
        if (entry.empty())
            continue;
        if (!AppendEntry(entry, names, reason)) {
            names.clear();
            return false;
        }
    }
    return true;
}

std::string ChooseWeightedName(const CPWeightedNames& names, std::int32_t draw)
{
    for (const CPWeightedName& name : names) {
        if (name.lower <= draw && draw < name.upper)
            return name.name;
    }
    return std::string();
}

std::string DrawWeightedName(const CPWeightedNames& names)
{
    return ChooseWeightedName(names, platform::Rand() % 100);
}
