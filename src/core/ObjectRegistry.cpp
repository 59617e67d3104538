#include "core/ObjectRegistry.h"

#include <algorithm>

#include "core/Command.h"
#include "core/ScriptObject.h"

namespace {
const std::size_t kBucketHint = 100;
} // namespace

CPObjectRegistry::CPObjectRegistry() : m_byName(kBucketHint), m_byCategory(kBucketHint) {}

CPObjectRegistry::~CPObjectRegistry()
{
    for (auto& entry : m_byName)
        entry.second->m_registry = nullptr;
    for (auto& entry : m_byCategory) {
        for (CPScriptObject* object : entry.second)
            object->m_registry = nullptr;
    }
}

bool CPObjectRegistry::Register(const std::string& name, const std::string& category, CPScriptObject* object)
{
    if (!object)
        return false;
    if (!name.empty()) {
        CPScriptObject*& listed = m_byName[name];
        CPScriptObject* previous = listed;
        listed = object;
        if (previous && previous != object && !IsListed(previous))
            previous->m_registry = nullptr;
    }
    if (!category.empty()) {
        std::vector<CPScriptObject*>& members = m_byCategory[category];
        if (std::find(members.begin(), members.end(), object) == members.end())
            members.push_back(object);
    }
    if (!name.empty() || !category.empty())
        object->m_registry = this;
    return true;
}

void CPObjectRegistry::Unregister(CPScriptObject* object)
{
    if (!object)
        return;
    for (auto it = m_byName.begin(); it != m_byName.end();) {
        if (it->second == object)
            it = m_byName.erase(it);
        else
            ++it;
    }
    for (auto it = m_byCategory.begin(); it != m_byCategory.end();) {
        std::vector<CPScriptObject*>& members = it->second;
        members.erase(std::remove(members.begin(), members.end(), object), members.end());
        if (members.empty())
            it = m_byCategory.erase(it);
        else
            ++it;
    }
    if (object->GetRegistry() == this)
        object->m_registry = nullptr;
}

void CPObjectRegistry::SendCommandByName(const std::string& objectName, std::string_view command,
                                         const std::string& params)
{
    auto found = m_byName.find(objectName);
    if (found == m_byName.end())
        return;
    Deliver(&found->second, 1, command, params);
}

void CPObjectRegistry::SendCommandByCategory(const std::string& category, std::string_view command,
                                             const std::string& params)
{
    auto found = m_byCategory.find(category);
    if (found == m_byCategory.end())
        return;
    Deliver(found->second.data(), found->second.size(), command, params);
}

void CPObjectRegistry::SendCommandByObject(CPObjectPtr receiver, std::string_view command,
                                           const std::string& params)
{
    CPScriptObject* object = receiver.As<CPScriptObject>();
    if (!object)
        return;
    Deliver(&object, 1, command, params);
}

CPObjectPtr CPObjectRegistry::FindObject(const std::string& name) const
{
    auto found = m_byName.find(name);
    if (found == m_byName.end())
        return CPObjectPtr();
    return CPObjectPtr(found->second);
}

const std::vector<CPScriptObject*>* CPObjectRegistry::GetCategory(const std::string& category) const
{
    auto found = m_byCategory.find(category);
    return found == m_byCategory.end() ? nullptr : &found->second;
}

void CPObjectRegistry::Deliver(CPScriptObject* const* receivers, std::size_t count, std::string_view command,
                               const std::string& params)
{
    // Each receiver cuts the text into the storage of a command slot it
    // keeps, so commands sent every frame allocate nothing.
    for (std::size_t i = 0; i < count; ++i)
        receivers[i]->PostCommand(command, params);
}

bool CPObjectRegistry::IsListed(const CPScriptObject* object) const
{
    for (const auto& entry : m_byName) {
        if (entry.second == object)
            return true;
    }
    for (const auto& entry : m_byCategory) {
        if (std::find(entry.second.begin(), entry.second.end(), object) != entry.second.end())
            return true;
    }
    return false;
}
