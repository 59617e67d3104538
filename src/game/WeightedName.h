#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One choice of a weighted list. Within a list the bounds are running sums
// of the weights, so a draw r picks the entry with lower <= r < upper.
struct CPWeightedName {
    std::string name;
    std::int32_t lower = 0;
    std::int32_t upper = 0;
};

using CPWeightedNames = std::vector<CPWeightedName>;

// Reads a choice list written "name,weight;name,weight;...". Empty entries
// are skipped; a weight that is no number counts as 0. False, with the list
// emptied and a reason set, when a weight is negative or the sum would
// overflow, since the bounds would then overlap.
bool ParseWeightedNames(const std::string& text, CPWeightedNames& names, std::string& reason);

// The name of the first entry whose bounds hold the draw; "" when none does.
std::string ChooseWeightedName(const CPWeightedNames& names, std::int32_t draw);

// Draws 0..99 from the game's random generator and chooses with it.
std::string DrawWeightedName(const CPWeightedNames& names);
