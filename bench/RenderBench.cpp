// Per-frame costs of the renderer core: the view-volume box test the quad
// tree walk runs for every node, and a frame drawn through the headless
// device.
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Random.h"

namespace {

void BM_BoxVisibility(benchmark::State& state)
{
    CPRender render(nullptr);
    CPPerspectiveCamera* camera = render.SetDefaultCamera();
    std::vector<std::pair<Vector3, Vector3>> boxes;
    platform::SeedRand(7);
    for (int i = 0; i < 1024; ++i) {
        const Vector3 centre{static_cast<float>(platform::Rand() % 400) - 200.0f,
                             static_cast<float>(platform::Rand() % 400) - 200.0f,
                             static_cast<float>(platform::Rand() % 40) - 20.0f};
        boxes.push_back(
            {{centre.x - 2, centre.y - 2, centre.z - 2}, {centre.x + 2, centre.y + 2, centre.z + 2}});
    }
    for (auto _ : state) {
        int visible = 0;
        for (const auto& box : boxes)
            visible += camera->IsBoxVisible(box.first, box.second) ? 1 : 0;
        benchmark::DoNotOptimize(visible);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(boxes.size()));
}
BENCHMARK(BM_BoxVisibility);

void BM_FrameWithLinesAndFade(benchmark::State& state)
{
    platform::HeadlessGraphicsDevice device;
    CPRender render(&device);
    render.InitDeviceState();
    render.SetDefaultCamera();
    for (auto _ : state) {
        render.AddDebugLine(0xFFFFFFFFu, {10, 0, 0}, {10, 1, 0});
        render.SetFade(0.5f);
        benchmark::DoNotOptimize(render.RenderFrame(1.0f / 60.0f));
    }
}
BENCHMARK(BM_FrameWithLinesAndFade);

} // namespace
