#include "support/TestEngine.h"

#include "core/Object.h"

TestEngine::TestEngine()
    : devices(MakeHeadlessDevices(platform::PresentParameters())), device(*devices.headlessGraphics),
      soundDevice(*devices.headlessSound),
      services(std::make_unique<EngineServices>(devices.graphics.get(), devices.sound.get()))
{
}

TestEngine::~TestEngine()
{
    services->Kernel().KillAllTasks();
    services->Kernel().RemoveKilledTasks();
    DeleteQueuedObjects();
    services.reset();
}
