// What a services owner costs to make and to end over the headless
// devices: every test world and every game pays it once.
#include <benchmark/benchmark.h>

#include "app/EngineServices.h"
#include "app/PlatformDevices.h"
#include "core/Log.h"

namespace {

void MakeAndEndTheServices(benchmark::State& state)
{
    SetLogFilePath("/dev/null");
    PlatformDevices devices = MakeHeadlessDevices(platform::PresentParameters());
    for (auto _ : state) {
        EngineServices services(devices.graphics.get(), devices.sound.get());
        benchmark::DoNotOptimize(&services.Render());
    }
}
BENCHMARK(MakeAndEndTheServices)->Unit(benchmark::kMillisecond);

} // namespace
