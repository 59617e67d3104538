#include "support/TestEngine.h"

TestEngine::TestEngine()
    : devices(MakeHeadlessDevices(platform::PresentParameters())), device(*devices.headlessGraphics),
      soundDevice(*devices.headlessSound),
      services(std::make_unique<EngineServices>(devices.graphics.get(), devices.sound.get()))
{
}

TestEngine::~TestEngine() = default;
