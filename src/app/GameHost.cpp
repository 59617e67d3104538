#include "app/GameHost.h"

#include "core/Singletons.h"

GameHost::GameHost(const Options& options) : m_options(options), m_kernel(std::make_unique<CPKernel>())
{
    SetKernel(m_kernel.get());
}

GameHost::~GameHost()
{
    // Tasks may point at singletons, so the list goes before they do.
    m_kernel->KillAllTasks();
    m_kernel->RemoveKilledTasks();
    SetKernel(nullptr);
}

int GameHost::Run()
{
    int frame = 0;
    while (!m_quit && frame < m_options.frames) {
        m_kernel->StepTasks(m_options.frameTime);
        ++frame;
    }
    return frame;
}
