#pragma once

#include <memory>
#include <string>
#include <unordered_map>

class CPPartAnimation;

// Part-animation tracks by the lower-cased name of the part they move.
using PartAnimationTracks = std::unordered_map<std::string, std::unique_ptr<CPPartAnimation>>;

// Reads a part-animation file ("Data\Animations\" + fileName): a track
// count, then per track the part's name, a key count and per key the
// duration of the segment it starts and a 3 x 4 transform stored as three
// columns. Each track becomes a CPPartAnimation with its keys (a later
// track of a name replaces an earlier one).
//
// A file that is missing, truncated or corrupt (a count past the data left,
// a name that runs off the end) is reported in the log and gives no tracks
// and false. A track that cannot play (fewer than three keys, a segment
// that takes no time) is reported and left out; the others load. A track
// count of 0 or less gives no tracks and true.
bool LoadPartAnimationFile(const std::string& fileName, PartAnimationTracks& tracks);
