// Frames of the test level drawn in a 1280x720 window through OpenGL (on
// Mesa's software renderer where there is no GPU), and the bare device's
// clear-draw-present cycle. Skips where no window can be opened.
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

#include "app/GameHost.h"
#include "core/GameSettings.h"
#include "platform/Dialog.h"

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
    GetGameSettings().screenWidth = 1280;
    GetGameSettings().screenHeight = 720;
    const std::filesystem::path data = std::filesystem::temp_directory_path() / "rs-window-bench";
    std::filesystem::remove_all(data);
    std::filesystem::copy(RS_FIXTURES_DIR "/level", data, std::filesystem::copy_options::recursive);
    GameHost::Options options;
    options.dataRoot = data.string();
    options.window = true;
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

} // namespace
