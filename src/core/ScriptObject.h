#pragma once

#include <memory>
#include <string>
#include <string_view>
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

    // Makes the first slots of its ring, so that the first commands of a
    // race fill slots made at load.
    CPScriptObject();
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
    // The same for a command given as its name and parameter text, cut as
    // CPCommand::FromText cuts it. The name is taken as a view, so that a
    // sender's literal makes no text of its own on the way to the slot.
    bool PostCommand(std::string_view name, const std::string& paramText);

    // Drops the finished command (the current one) and makes the next
    // oldest current. False, with no current command, when none is left.
    bool SetNextCommand();

    // Null when there is no current command.
    const CPCommand* GetCurrentCommand() const { return m_hasCurrent ? m_slots[m_oldest].get() : nullptr; }
    // The current command's name; empty when there is none.
    std::string GetCurrentCommandName() const;
    // The current command's parameters; null when there is none.
    const std::vector<std::string>* GetCurrentParams() const;

    // Commands queued, the current one included.
    std::size_t GetQueuedCount() const { return m_count; }

    // The registry that lists this object; null when none does.
    CPObjectRegistry* GetRegistry() const { return m_registry; }

  private:
    friend class CPObjectRegistry; // keeps m_registry up to date

    // The slot for one more command, at the newest end of the queue.
    CPCommand& Push();

    // The queue is a ring of command slots, the oldest command (the current
    // one, when there is one) at m_oldest. Slots are kept and reused with
    // the storage their texts had, so a steady flow of commands, one a
    // frame, allocates nothing; a slot never moves, so the current command
    // stays put while the ring grows.
    std::vector<std::unique_ptr<CPCommand>> m_slots;
    std::size_t m_oldest = 0;
    std::size_t m_count = 0;
    bool m_hasCurrent = false;
    CPObjectRegistry* m_registry = nullptr;
};
