#include "interface/GameText.h"

namespace {
GameTextLookup& Lookup()
{
    static GameTextLookup lookup;
    return lookup;
}
} // namespace

void SetGameTextLookup(GameTextLookup lookup) { Lookup() = std::move(lookup); }

std::string LookupGameText(const std::string& key)
{
    const GameTextLookup& lookup = Lookup();
    return lookup ? lookup(key) : std::string();
}
