#include "support/TestEngine.h"

TestEngine::TestEngine(const GameSettings& settings, const RunTiming& timing)
    : devices(MakeHeadlessDevices(platform::PresentParameters())), device(*devices.headlessGraphics),
      soundDevice(*devices.headlessSound), services(std::make_unique<EngineServices>(
                                               devices.graphics.get(), devices.sound.get(), settings, timing))
{
}

TestEngine::~TestEngine() = default;

void TestEngine::EndFrame()
{
    services->SceneList().ClearFrame();
    services->DynamicList().ClearFrame();
}
