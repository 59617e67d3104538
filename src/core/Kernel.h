#pragma once

#include <list>
#include <vector>

#include "core/Task.h"

// The task kernel: one list of tasks in ascending priority, equal
// priorities in the order they were added.
//
// Stepping a frame walks the tasks that were listed when the frame began.
// A task added during the step waits for the next frame; a task killed
// during the step is not stepped after that point; killed tasks leave the
// list once the walk is done. A task that its owner wants to delete must
// first leave the list (killed and swept, or RemoveTask). A task that is
// ended and added again before the sweep keeps one node, at the place its
// priority gives it now.
class CPKernel {
  public:
    using TaskList = std::list<CPObjectPtr>;

    bool AddTask(CPObjectPtr& task);
    void KillAllTasks();

    // Takes a task out of the list at once, also in the middle of a step.
    // Returns whether it was listed.
    bool RemoveTask(CPTask* task);

    // One frame: store the frame time, step the running tasks in list
    // order, then drop the killed ones.
    void StepTasks(float frameTime);
    // Drops killed tasks from the list and clears their running flags, so
    // they can be added again.
    void RemoveKilledTasks();

    const TaskList& GetTasks() const { return m_tasks; }

    void* GetMainWindow() const { return m_mainWindow; }
    void SetMainWindow(void* window) { m_mainWindow = window; }

  private:
    TaskList m_tasks;
    std::vector<CPTask*> m_stepping; // reused every frame
    bool m_isStepping = false;
    void* m_mainWindow = nullptr;
};
