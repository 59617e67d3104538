// Whole levels: a level file loaded by the game's level loader over the
// sample data (scenes, meshes, sky, cars, physics), as a race starts, and
// then deleted.
#include "FuzzSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/Object.h"
#include "core/PackFile.h"
#include "game/Level.h"
#include "support/TestEngine.h"

namespace {

const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";

// The sample data becomes the data root, and one engine serves every
// input, as the game loads level after level over one engine: its caches
// keep the sample's scenes and textures, so an input costs the level only.
TestEngine& SampleEngine()
{
    static TestEngine* engine = nullptr;
    if (engine)
        return *engine;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::copy(kSample, FuzzRoot(), fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    GetPackFileList().AddPacks("*.pak");
    // Left for the process's end: the engine outlives every input.
    engine = new TestEngine;
    return *engine;
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    std::ifstream in(kSample + "/Data/Levels/level1.lvl", std::ios::binary);
    return {std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>())};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TestEngine& engine = SampleEngine();
    WriteFuzzFile("Data/Levels/level1.lvl", data, size);
    {
        CPLevel level;
        MakeCurrentLevel(&level);
        level.Load("level1", false, false);
    }
    engine.services->Kernel().KillAllTasks();
    engine.services->Kernel().RemoveKilledTasks();
    DeleteQueuedObjects();
    return 0;
}
