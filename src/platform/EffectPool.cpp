#include "platform/EffectPool.h"

namespace platform {

bool EffectPool::Accepts(const EffectParameter& candidate, std::string& error) const
{
    const EffectParameter* existing = Find(candidate.name);
    if (!existing)
        return true;
    bool same = existing->type == candidate.type && existing->rows == candidate.rows &&
                existing->columns == candidate.columns && existing->elements == candidate.elements;
    if (!same)
        error = "shared parameter '" + candidate.name + "' is declared as '" + candidate.typeName +
                "' but the pool holds it as '" + existing->typeName + "'";
    return same;
}

std::shared_ptr<EffectParameter> EffectPool::Share(std::shared_ptr<EffectParameter> candidate)
{
    return m_parameters.emplace(candidate->name, candidate).first->second;
}

EffectParameter* EffectPool::Find(const std::string& name) const
{
    auto found = m_parameters.find(name);
    return found == m_parameters.end() ? nullptr : found->second.get();
}

} // namespace platform
