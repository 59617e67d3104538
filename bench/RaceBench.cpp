// The sample race in the game host with the headless graphics device that
// records every draw: the player's autopilot and seven opponents on
// level1, the scripts, the HUD and the race watch. Loading is left out of
// the race figure.
//   BM_RaceSecond: one iteration is one simulated race second (60 frames);
//                  read the CPU time per iteration in milliseconds.
//   BM_LevelLoad:  one iteration loads and starts level1 in a fresh host.
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "app/GameHost.h"
#include "app/RaceWatch.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Level.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFramesPerSecond = 60;

// A copy of the sample data, as the race's end saves a profile into it.
class DataCopy {
  public:
    DataCopy() : m_path(fs::temp_directory_path() / ("racebench-" + std::to_string(::getpid())))
    {
        fs::remove_all(m_path);
        fs::copy(fs::path(RS_SOURCE_DIR) / "data" / "sample", m_path, fs::copy_options::recursive);
    }
    ~DataCopy()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string Path() const { return m_path.string(); }

  private:
    fs::path m_path;
};

// A host that runs one frame a Run: each Run steers the player with the
// autopilot and follows the race, as the game's own loop does.
std::unique_ptr<GameHost> MakeHost(const DataCopy& data)
{
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = data.Path();
    options.seed = 5;
    options.autopilot = true;
    return std::make_unique<GameHost>(options);
}

// The main menu's Start, as its button sends it: the scripts load level1
// and start the race within the frame.
std::unique_ptr<GameHost> RaceOn(const DataCopy& data)
{
    std::unique_ptr<GameHost> host = MakeHost(data);
    GetObjectRegistry()->SendCommandByName("gamemenu", "button", "start");
    host->Run();
    return host;
}

void BM_RaceSecond(benchmark::State& state)
{
    DataCopy data;
    std::unique_ptr<GameHost> host = RaceOn(data);
    if (!host->GetLevel()) {
        state.SkipWithError("the sample race did not start");
        return;
    }
    int races = 0;
    for (auto _ : state) {
        if (host->GetRaceWatch().IsOver()) {
            state.PauseTiming();
            ++races;
            host.reset();
            host = RaceOn(data);
            state.ResumeTiming();
        }
        for (int frame = 0; frame < kFramesPerSecond; ++frame)
            host->Run();
    }
    // Races that reached their end within the iterations.
    state.counters["races"] = races;
}
BENCHMARK(BM_RaceSecond)->Unit(benchmark::kMillisecond);

void BM_LevelLoad(benchmark::State& state)
{
    DataCopy data;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<GameHost> host = MakeHost(data);
        state.ResumeTiming();
        const bool started = host->StartLevel("level1");
        state.PauseTiming();
        if (!started) {
            state.SkipWithError("level1 does not load");
            break;
        }
        host.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LevelLoad)->Unit(benchmark::kMillisecond);

} // namespace
