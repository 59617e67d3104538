#pragma once

#include <functional>
#include <string>

// The screens show entries of the game data's text table by key. The game
// data installs the lookup when it exists; until then, and for a key the
// table lacks, a text is empty.
using GameTextLookup = std::function<std::string(const std::string& key)>;

void SetGameTextLookup(GameTextLookup lookup);
std::string LookupGameText(const std::string& key);
