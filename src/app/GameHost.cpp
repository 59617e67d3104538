#include "app/GameHost.h"

#include "core/PackFile.h"
#include "core/Singletons.h"
#include "platform/FileSystem.h"

GameHost::GameHost(const Options& options)
    : m_options(options), m_kernel(std::make_unique<CPKernel>()),
      m_registry(std::make_unique<CPObjectRegistry>())
{
    // Data files are named relative to the data folder; those not on disk
    // are looked for in the pack files there.
    platform::SetDataRoot(m_options.dataRoot);
    GetPackFileList().AddPacks("*.pak");
    SetKernel(m_kernel.get());
    SetObjectRegistry(m_registry.get());
}

GameHost::~GameHost()
{
    // Tasks may point at singletons, so the list goes before they do.
    m_kernel->KillAllTasks();
    m_kernel->RemoveKilledTasks();
    SetKernel(nullptr);
    SetObjectRegistry(nullptr);
    m_registry.reset();
    GetPackFileList().Clear();
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
