#include "game/CheckpointPointer.h"

#include "core/GameObject.h"

void CPCheckpointPointer::SetParts(CPObjectPtr first, CPObjectPtr second)
{
    m_parts[0] = first;
    m_parts[1] = second;
    m_current = nullptr;
}

CPGameObject* CPCheckpointPointer::GetPart(int index) const
{
    if (index < 0 || index > 1)
        return nullptr;
    return m_parts[index].As<CPGameObject>();
}

void CPCheckpointPointer::SetTarget(CPObjectPtr target)
{
    m_target = target;
    if (!m_target) {
        m_current = nullptr;
        if (CPGameObject* second = GetPart(1))
            second->SetVisible(false);
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (CPGameObject* part = GetPart(i))
            part->SetVisible(true);
    }
    m_current = GetPart(0);
}

void CPCheckpointPointer::Clear()
{
    m_target = CPObjectPtr();
    m_parts[0] = CPObjectPtr();
    m_parts[1] = CPObjectPtr();
    m_current = nullptr;
}
