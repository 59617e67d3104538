#include "core/Kernel.h"

#include <algorithm>

#include "core/GameClock.h"

namespace {
CPTask* AsTask(const CPObjectPtr& pointer) { return pointer.As<CPTask>(); }
} // namespace

bool CPKernel::AddTask(CPObjectPtr& task)
{
    CPTask* added = AsTask(task);
    if (!added)
        return false;
    if (!added->Begin())
        return false;
    // A task ended and added again before the sweep still has its old node;
    // left there it would be stepped twice a frame.
    RemoveTask(added);
    auto before = std::find_if(m_tasks.begin(), m_tasks.end(), [added](const CPObjectPtr& listed) {
        return AsTask(listed)->GetPriority() > added->GetPriority();
    });
    m_tasks.insert(before, task);
    return true;
}

void CPKernel::KillAllTasks()
{
    for (const CPObjectPtr& listed : m_tasks)
        AsTask(listed)->SetKilled(true);
}

bool CPKernel::RemoveTask(CPTask* task)
{
    auto found = std::find_if(m_tasks.begin(), m_tasks.end(),
                              [task](const CPObjectPtr& listed) { return listed.Get() == task; });
    if (found == m_tasks.end())
        return false;
    m_tasks.erase(found);
    if (m_isStepping)
        std::replace(m_stepping.begin(), m_stepping.end(), task, static_cast<CPTask*>(nullptr));
    return true;
}

void CPKernel::StepTasks(float frameTime)
{
    GameClock& clock = GetGameClock();
    clock.frameTime = frameTime;
    clock.gameTime += frameTime;
    ++clock.frameCount;
    clock.effectsThisFrame = 0;

    m_stepping.clear();
    for (const CPObjectPtr& listed : m_tasks)
        m_stepping.push_back(AsTask(listed));

    m_isStepping = true;
    for (std::size_t i = 0; i < m_stepping.size(); ++i) {
        CPTask* task = m_stepping[i];
        if (task && !task->IsKilled())
            task->Step();
    }
    m_isStepping = false;
    m_stepping.clear();
    RemoveKilledTasks();
}

void CPKernel::RemoveKilledTasks()
{
    // A task swept out of the list no longer runs: without this a task
    // killed by KillAllTasks (which leaves the running flag set) could never
    // be added again, and a stopped script object would go on taking commands.
    m_tasks.remove_if([](const CPObjectPtr& listed) {
        CPTask* task = AsTask(listed);
        if (!task->IsKilled())
            return false;
        task->SetRunning(false);
        return true;
    });
}
