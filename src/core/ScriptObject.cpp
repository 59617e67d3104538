#include "core/ScriptObject.h"

#include <algorithm>

#include "core/ObjectRegistry.h"

namespace {
constexpr std::size_t kFirstSlots = 4;
// Most commands carry a few parameters; a slot with room for them takes
// its first commands without allocating, even when that is mid-race.
constexpr std::size_t kParamRoom = 4;
// Bytes of a command name or parameter (the messages the race shows among
// them) a slot holds from the start.
constexpr std::size_t kTextRoom = 48;

std::unique_ptr<CPCommand> MakeSlot()
{
    auto slot = std::make_unique<CPCommand>();
    slot->Reserve(kParamRoom, kTextRoom);
    return slot;
}
} // namespace

CPScriptObject::CPScriptObject() : m_slots(kFirstSlots)
{
    for (auto& slot : m_slots)
        slot = MakeSlot();
}

CPScriptObject::~CPScriptObject()
{
    if (m_registry)
        m_registry->Unregister(this);
}

CPCommand& CPScriptObject::Push()
{
    if (m_count == m_slots.size()) {
        // Full: a wider ring, the commands in their order from its start.
        std::vector<std::unique_ptr<CPCommand>> wider(std::max(kFirstSlots, m_slots.size() * 2));
        for (std::size_t i = 0; i < m_slots.size(); ++i)
            wider[i] = std::move(m_slots[(m_oldest + i) % m_slots.size()]);
        for (std::size_t i = m_slots.size(); i < wider.size(); ++i)
            wider[i] = MakeSlot();
        m_slots = std::move(wider);
        m_oldest = 0;
    }
    CPCommand& slot = *m_slots[(m_oldest + m_count) % m_slots.size()];
    ++m_count;
    return slot;
}

bool CPScriptObject::PostCommand(const CPCommand& command)
{
    if (!IsRunning())
        return false;
    Push() = command;
    return true;
}

bool CPScriptObject::PostCommand(std::string_view name, const std::string& paramText)
{
    if (!IsRunning())
        return false;
    Push().Assign(name, paramText);
    return true;
}

bool CPScriptObject::SetNextCommand()
{
    if (m_count == 0)
        return false;
    if (m_hasCurrent) {
        m_oldest = (m_oldest + 1) % m_slots.size();
        --m_count;
        m_hasCurrent = false;
    }
    if (m_count == 0)
        return false;
    m_hasCurrent = true;
    return true;
}

std::string CPScriptObject::GetCurrentCommandName() const
{
    const CPCommand* current = GetCurrentCommand();
    return current ? current->GetName() : std::string();
}

const std::vector<std::string>* CPScriptObject::GetCurrentParams() const
{
    const CPCommand* current = GetCurrentCommand();
    return current ? &current->GetParams() : nullptr;
}
