// What the game host needs at start-up, run as the player runs it: without
// a data folder, a start script that runs or the packs that script names,
// the host says in one line what is missing, also in the log, and exits
// with a failure status instead of playing empty frames. A start script
// that misbehaves in its frames (an endless loop, calls of libraries it
// does not get) leaves the game running, and the frame limit ends the run.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"
#include "support/ToolPath.h"

#include "app/GameHost.h"
#include "platform/Dialog.h"
#include "script/ScriptHost.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSample = fs::path(RS_SOURCE_DIR) / "data" / "sample";

struct Outcome {
    int status = -1;
    std::string errors; // what the host wrote to stderr
};

// Runs the game host on the data folder; stdout is dropped.
Outcome RunHost(const std::string& dataRoot, const std::string& arguments = "--frames 30")
{
    Outcome outcome;
    const std::string command =
        "\"" + ToolPath("_exRoadSprint") + "\" --data \"" + dataRoot + "\" " + arguments + " 2>&1 >/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        outcome.errors += buffer;
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

void CopySample(const ScratchFolder& to)
{
    fs::copy(kSample, to.GetPath(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

// A start script that does everything wrong in its frames: one object
// loops for ever, one reaches for the debug library, one for the package
// library; a fourth counts the frames.
const char* const kHostileScript =
    "frames = 0\n"
    "CreateScriptObject('looper', '', function(self) while true do end end)\n"
    "CreateScriptObject('prober', '', function(self) debug.sethook(function() end, 'l') end)\n"
    "CreateScriptObject('loader', '', function(self) package.loadlib('libc.so.6', 'abort')() end)\n"
    "CreateScriptObject('counter', '', function(self) frames = frames + 1 end)\n";

} // namespace

TEST(Startup, WhatTheHostLacksIsNamedInOneLineAndTheRunFails)
{
    if (ToolPath("_exRoadSprint").empty())
        GTEST_SKIP() << "the game host is not built";
    const struct {
        const char* name;
        std::function<void(const ScratchFolder&)> prepare;
        const char* expected; // in the terminal's line and in the log
        bool logged;
    } cases[] = {
        {"an empty data folder", [](const ScratchFolder&) {}, "holds no start script Data\\Scripts\\main.lua",
         true},
        {"no data folder", [](const ScratchFolder& folder) { fs::remove_all(folder.GetPath()); },
         "does not exist", false},
        {"no meshes pack",
         [](const ScratchFolder& folder) {
             CopySample(folder);
             fs::remove(folder.Path("meshes.pak"));
         },
         "lacks the pack meshes.pak that the start script needs", true},
        {"a broken meshes pack",
         [](const ScratchFolder& folder) {
             CopySample(folder);
             fs::resize_file(folder.Path("meshes.pak"), 20);
         },
         "lacks the pack meshes.pak", true},
        {"a start script that does not compile",
         [](const ScratchFolder& folder) { folder.Write("Data/Scripts/main.lua", "x = = 1\n"); },
         "The start script Data\\Scripts\\main.lua failed: ", true},
        {"a start script that fails",
         [](const ScratchFolder& folder) { folder.Write("Data/Scripts/main.lua", "NoSuchFunction()\n"); },
         "failed: Data\\Scripts\\main.lua:1: attempt to call global 'NoSuchFunction'", true},
        {"a start script that never ends",
         [](const ScratchFolder& folder) { folder.Write("Data/Scripts/main.lua", "while true do end\n"); },
         "instructions in one go and was stopped", true},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        ScratchFolder folder;
        entry.prepare(folder);
        const Outcome outcome = RunHost(folder.GetPath());
        EXPECT_EQ(outcome.status, 1) << outcome.errors;
        EXPECT_NE(outcome.errors.find(entry.expected), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find('\n'), outcome.errors.size() - 1) << "one line: " << outcome.errors;
        if (entry.logged) {
            EXPECT_NE(folder.Read("log.txt").find(entry.expected), std::string::npos)
                << folder.Read("log.txt");
        }
    }
}

TEST(Startup, TheSampleDataStartsAndAHostileStartScriptLeavesTheGameRunning)
{
    if (ToolPath("_exRoadSprint").empty())
        GTEST_SKIP() << "the game host is not built";
    ScratchFolder folder;
    CopySample(folder);
    Outcome outcome = RunHost(folder.GetPath());
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "");

    folder.Write("Data/Scripts/main.lua", kHostileScript);
    outcome = RunHost(folder.GetPath(), "--frames 20");
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    const std::string log = folder.Read("log.txt");
    for (const char* object : {"looper", "prober", "loader"})
        EXPECT_NE(log.find(std::string("Script object \"") + object + "\" stopped: "), std::string::npos)
            << object << "\n"
            << log;
}

// The same start script in the host itself: every frame runs, the counter
// counts each, and the run ends at its limit.
TEST(Startup, AHostileStartScriptsFramesRunToTheFrameLimit)
{
    ScratchFolder folder;
    folder.Write("Data/Scripts/main.lua", kHostileScript);
    GameHost::Options options;
    options.frames = 25;
    options.dataRoot = folder.GetPath();
    auto host = std::make_unique<GameHost>(options);
    EXPECT_EQ(host->GetStartupProblem(), "");
    EXPECT_EQ(host->Run(), 25);
    lua_State* L = host->GetScriptHost().GetState();
    lua_getglobal(L, "frames");
    EXPECT_EQ(lua_tonumber(L, -1), 25.0);
    lua_pop(L, 1);
    EXPECT_NE(folder.Read("log.txt").find("Script object \"looper\" stopped: "), std::string::npos);
    host.reset();
    platform::ClearPostedQuit();
}
