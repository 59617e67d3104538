#pragma once

#include <string>

class CPScriptHost;

// What the game host needs before it can play a frame: a data folder, a
// start script that runs to its end, and the packs that script names. A
// run without them would only show nothing and end as if all were well,
// so they are checked once at start-up. What the game can play without (a
// missing texture, sound or mesh) is not checked here: it falls back, with
// a line in the log, when it is asked for.
//
// The start script names the packs its data comes in with a global table
// of pack file names, e.g. RequiredPacks = { "meshes.pak", "textures.pak" }.
namespace startup {

constexpr const char* kRequiredPacks = "RequiredPacks";

struct Needs {
    std::string dataRoot;
    // A run that starts a level itself can do without a start script.
    bool startScript = true;
    bool startScriptRan = false;
};

// "" when the host has what it needs; else one line naming the first thing
// missing.
std::string FindProblem(const Needs& needs, const CPScriptHost& scripts);

} // namespace startup
