// Frames drawn in a 1280x720 window through OpenGL (on Mesa's software
// renderer where there is no GPU): the test level, and the sample race with
// where its frames' time goes and how many draws a frame makes. Skips where
// no window can be opened.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

#include "app/GameHost.h"
#include "core/GameSettings.h"
#include "platform/Dialog.h"
#include "platform/HeadlessGraphicsDevice.h"
#if RS_HAVE_WINDOW
#include "platform/gl/GlGraphicsDevice.h"
#endif

namespace {

void PreferOffscreenVideo()
{
    const char* display = std::getenv("DISPLAY");
    if ((!display || !*display) && !std::getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
}

void BM_WindowFrame1280x720(benchmark::State& state)
{
    PreferOffscreenVideo();
    const std::filesystem::path data = std::filesystem::temp_directory_path() / "rs-window-bench";
    std::filesystem::remove_all(data);
    std::filesystem::copy(RS_FIXTURES_DIR "/level", data, std::filesystem::copy_options::recursive);
    GameHost::Options options;
    options.dataRoot = data.string();
    options.window = true;
    options.screen.width = 1280;
    options.screen.height = 720;
    auto host = std::make_unique<GameHost>(options);
    if (!host->HasWindow() || !host->StartLevel("sample")) {
        state.SkipWithError("no window or no level");
        return;
    }
    for (auto _ : state)
        host->RunFrame();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    host.reset();
    platform::ClearPostedQuit();
    std::filesystem::remove_all(data);
}
BENCHMARK(BM_WindowFrame1280x720)->Unit(benchmark::kMillisecond)->UseRealTime();

#if RS_HAVE_WINDOW
// The sample race as a player sees it, the computer driving: frames a
// second; the milliseconds a frame spends handing draws to the driver
// ("draw_ms"), waiting for the driver to finish them ("finish_ms"), showing
// the frame ("present_ms") and in the game itself, its tasks, scripts and
// scene ("game_ms", the rest); and the draws of a frame.
void BM_SampleRaceFrame1280x720(benchmark::State& state)
{
    PreferOffscreenVideo();
    const std::filesystem::path data = std::filesystem::temp_directory_path() / "rs-sample-race-bench";
    std::filesystem::remove_all(data);
    std::filesystem::copy(RS_SOURCE_DIR "/data/sample", data, std::filesystem::copy_options::recursive);
    GameHost::Options options;
    options.dataRoot = data.string();
    options.window = true;
    options.autopilot = true;
    options.verticalSync = false;
    options.screen.width = 1280;
    options.screen.height = 720;
    auto host = std::make_unique<GameHost>(options);
    if (!host->HasWindow() || !host->StartLevel("level1")) {
        state.SkipWithError("no window or no level");
        return;
    }
    auto& device = static_cast<platform::GlGraphicsDevice&>(host->GetDevice());
    // The first frames upload the level's buffers and textures.
    for (int i = 0; i < 60; ++i)
        host->RunFrame();
    device.SetProfiling(true);
    std::size_t draws = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        host->RunFrame();
        draws += host->GetHeadlessDevice()->GetLastFrameDraws().size();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double frames = static_cast<double>(state.iterations());
    const platform::GlGraphicsDevice::Cost& cost = device.GetCost();
    const double deviceSeconds = cost.drawSeconds + cost.finishSeconds + cost.presentSeconds;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["draws"] = static_cast<double>(draws) / frames;
    state.counters["draw_ms"] = cost.drawSeconds * 1000.0 / frames;
    state.counters["finish_ms"] = cost.finishSeconds * 1000.0 / frames;
    state.counters["present_ms"] = cost.presentSeconds * 1000.0 / frames;
    state.counters["game_ms"] = (seconds - deviceSeconds) * 1000.0 / frames;
    host.reset();
    platform::ClearPostedQuit();
    std::filesystem::remove_all(data);
}
BENCHMARK(BM_SampleRaceFrame1280x720)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
#endif

} // namespace
