#pragma once

#include <string>

// The game's texts by key, for the subsystems below the game that show
// them (the interface screens). The game installs the lookup; without one
// every text is empty.
using CPTextLookup = std::string (*)(const std::string& key);

void SetTextLookup(CPTextLookup lookup);
CPTextLookup GetTextLookup();
// The text of the key; empty when no lookup is installed.
std::string LookupText(const std::string& key);
