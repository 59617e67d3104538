#include "core/ScriptObject.h"

#include "core/ObjectRegistry.h"

CPScriptObject::~CPScriptObject()
{
    if (m_registry)
        m_registry->Unregister(this);
}

bool CPScriptObject::PostCommand(const CPCommand& command)
{
    if (!IsRunning())
        return false;
    m_commands.push_front(command);
    return true;
}

bool CPScriptObject::SetNextCommand()
{
    if (m_commands.empty())
        return false;
    if (m_current) {
        m_commands.pop_back();
        m_current = nullptr;
    }
    if (m_commands.empty())
        return false;
    m_current = &m_commands.back();
    return true;
}

std::string CPScriptObject::GetCurrentCommandName() const
{
    return m_current ? m_current->GetName() : std::string();
}

const std::vector<std::string>* CPScriptObject::GetCurrentParams() const
{
    return m_current ? &m_current->GetParams() : nullptr;
}
