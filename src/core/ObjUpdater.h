#pragma once

#include <functional>
#include <utility>

#include "core/Task.h"

// A task whose step runs one operation of an owner object. The operation
// is bound as a callable, usually a lambda that calls the owner's member
// function: ObjUpdater(level, [level] { level->UpdateRace(); }, 0).
class CPObjUpdater : public CPTask {
  public:
    CPObjUpdater() = default;
    CPObjUpdater(void* owner, std::function<void()> operation, int taskType)
        : m_owner(owner), m_operation(std::move(operation)), m_taskType(taskType)
    {
    }

    void Bind(void* owner, std::function<void()> operation, int taskType)
    {
        m_owner = owner;
        m_operation = std::move(operation);
        m_taskType = taskType;
    }

    std::uint32_t GetObjectSize() const override { return sizeof(CPObjUpdater); }
    std::string GetTypeName() const override { return "CPObjUpdater"; }
    void Step() override
    {
        if (m_operation)
            m_operation();
    }
    int GetTaskType() const override { return m_taskType; }
    void* GetOwner() const { return m_owner; }

  private:
    void* m_owner = nullptr;
    std::function<void()> m_operation;
    int m_taskType = 0;
};
