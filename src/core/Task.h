#pragma once

#include "core/Object.h"
#include "core/TaskPriorities.h"

// Base of everything that works frame by frame. Lower priorities step
// earlier in the kernel's list.
class CPTask : public CPObject {
  public:
    static constexpr int kDefaultPriority = taskpriority::kDefault;

    // Refuses a task that already runs; otherwise clears the killed flag
    // and marks the task running.
    virtual bool Begin();
    virtual void Pause() {}
    virtual void Step() = 0;
    virtual void Continue() {}
    // Marks the task killed and no longer running, so it can be begun again.
    virtual void End();
    virtual int GetTaskType() const = 0;
    virtual CPObjectPtr Duplicate() { return CPObjectPtr(); }

    bool IsRunning() const { return m_running; }
    bool IsKilled() const { return m_killed; }
    void SetKilled(bool killed) { m_killed = killed; }
    void SetRunning(bool running) { m_running = running; }
    int GetPriority() const { return m_priority; }
    void SetPriority(int priority) { m_priority = priority; }

  protected:
    bool m_running = false;
    bool m_killed = false;
    int m_priority = kDefaultPriority;
};
