// The sample race in the game host with the headless graphics device that
// records every draw: the player's autopilot and seven opponents on
// level1, the scripts, the HUD and the race watch. Loading is left out of
// the race figure.
//   BM_SampleRace: one iteration is one whole race, from the start to the
//                  race watch's end. Read the counters:
//                    cpu_ms_per_race_s  CPU milliseconds per race second
//                    race_s             race seconds of one race
//                    allocs_per_frame   heap allocations per frame of the
//                                       engine and the game, all the race's
//                                       frames, but for those of the save
//                                       at the race's end
//                    race_end_save_allocs  those of the save, per race: the
//                                       scripts' SaveScore and SaveGame at
//                                       the finish write the best times and
//                                       the profile and read the save slots
//                                       back, file work counted apart
//                    physics_lib_allocs_per_frame  of all the frames'
//                                       allocations, the blocks the physics
//                                       library took
//                    script_allocs_per_frame  and of the scripts'
//                                       interpreter
//                    peak_rss_MB        the process's peak resident size
//   BM_LevelLoad:  one iteration loads and starts level1 in a fresh host.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include "HeapCount.h"
#include "app/GameHost.h"
#include "app/RaceWatch.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "script/ScriptHost.h"

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

// The bindings the scripts save with when the race ends.
constexpr const char* kRaceEndSaves[] = {"SaveScore", "SaveGame"};

// The main menu's Start, as its button sends it: the scripts load level1
// and start the race within the frame.
std::unique_ptr<GameHost> RaceOn(const DataCopy& data)
{
    std::unique_ptr<GameHost> host = MakeHost(data);
    lua_State* scripts = host->GetScriptHost().GetState();
    heapcount::CountScriptAllocations(scripts);
    // A script without them saves nothing at the finish: then there is
    // nothing to count apart.
    for (const char* save : kRaceEndSaves)
        heapcount::CountCallsApart(scripts, save);
    GetObjectRegistry()->SendCommandByName("gamemenu", "button", "start");
    host->Run();
    return host;
}

// A race that has not ended after this long has stopped moving.
constexpr int kMaxRaceFrames = 30 * 60 * kFramesPerSecond;

double PeakRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Runs the race to its end; the frames it took, or -1 if it never ended.
int RaceToTheEnd(GameHost& host)
{
    int frames = 0;
    while (!host.GetRaceWatch().IsOver()) {
        if (frames == kMaxRaceFrames)
            return -1;
        host.Run();
        ++frames;
    }
    return frames;
}

void BM_SampleRace(benchmark::State& state)
{
    DataCopy data;
    std::int64_t frames = 0;
    std::int64_t allocations = 0;
    std::int64_t scriptAllocations = 0;
    std::int64_t physicsAllocations = 0;
    std::int64_t saveAllocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<GameHost> host = RaceOn(data);
        if (!host->GetLevel()) {
            state.SkipWithError("the sample race did not start");
            break;
        }
        const std::int64_t allocationsBefore = heapcount::EngineAllocations();
        const std::int64_t scriptAllocationsBefore = heapcount::ScriptAllocations();
        const std::int64_t physicsAllocationsBefore = heapcount::PhysicsLibraryAllocations();
        const std::int64_t saveAllocationsBefore = heapcount::CallsApartAllocations();
        state.ResumeTiming();
        const int raceFrames = RaceToTheEnd(*host);
        state.PauseTiming();
        allocations += heapcount::EngineAllocations() - allocationsBefore;
        scriptAllocations += heapcount::ScriptAllocations() - scriptAllocationsBefore;
        physicsAllocations += heapcount::PhysicsLibraryAllocations() - physicsAllocationsBefore;
        saveAllocations += heapcount::CallsApartAllocations() - saveAllocationsBefore;
        if (raceFrames < 0) {
            state.SkipWithError("the sample race did not end");
            break;
        }
        frames += raceFrames;
        host.reset();
        state.ResumeTiming();
    }
    if (state.error_occurred() || frames == 0)
        return;
    const double raceSeconds = static_cast<double>(frames) / kFramesPerSecond;
    // A rate is divided by the CPU seconds the iterations took; inverted,
    // it is CPU seconds per race second, and race seconds in thousands
    // make that milliseconds.
    state.counters["cpu_ms_per_race_s"] =
        benchmark::Counter(raceSeconds / 1000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["race_s"] = raceSeconds / static_cast<double>(state.iterations());
    state.counters["allocs_per_frame"] =
        static_cast<double>(allocations - saveAllocations) / static_cast<double>(frames);
    state.counters["race_end_save_allocs"] =
        static_cast<double>(saveAllocations) / static_cast<double>(state.iterations());
    state.counters["physics_lib_allocs_per_frame"] =
        static_cast<double>(physicsAllocations) / static_cast<double>(frames);
    state.counters["script_allocs_per_frame"] =
        static_cast<double>(scriptAllocations) / static_cast<double>(frames);
    state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
BENCHMARK(BM_SampleRace)->Unit(benchmark::kMillisecond);

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
