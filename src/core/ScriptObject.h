#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/Command.h"
#include "core/Task.h"

class CPObjectRegistry;

// The engine's side of a script: a task that receives commands while it
// runs and hands them to its script oldest first. Senders put commands at
// the front of the queue; the script works at the back, where the current
// command stays put however many commands arrive meanwhile.
class CPScriptObject : public CPTask {
  public:
    // Bound updaters are type 0, part animations and particle systems 1.
    static constexpr int kTaskType = 2;

    CPScriptObject() = default;
    // Leaves the registry, which only holds a raw pointer to it.
    ~CPScriptObject() override;

    CPScriptObject(const CPScriptObject&) = delete;
    CPScriptObject& operator=(const CPScriptObject&) = delete;

    std::uint32_t GetObjectSize() const override { return sizeof(CPScriptObject); }
    std::string GetTypeName() const override { return "CPScriptObject"; }
    int GetTaskType() const override { return kTaskType; }
    void Step() override {}

    // Queues a copy of the command when the object runs; returns whether it
    // was queued.
    bool PostCommand(const CPCommand& command);

    // Drops the finished command (the current one) and makes the next
    // oldest current. False, with no current command, when none is left.
    bool SetNextCommand();

    // Null when there is no current command.
    const CPCommand* GetCurrentCommand() const { return m_current; }
    // The current command's name; empty when there is none.
    std::string GetCurrentCommandName() const;
    // The current command's parameters; null when there is none.
    const std::vector<std::string>* GetCurrentParams() const;

    // Commands queued, the current one included.
    std::size_t GetQueuedCount() const { return m_commands.size(); }

    // The registry that lists this object; null when none does.
    CPObjectRegistry* GetRegistry() const { return m_registry; }

  private:
    friend class CPObjectRegistry; // keeps m_registry up to date

    std::deque<CPCommand> m_commands; // newest at the front
    CPCommand* m_current = nullptr;   // the back element or null
    CPObjectRegistry* m_registry = nullptr;
};
