#include "Render/BatchTable.h"

#include "Render/IVBlock.h"
#include "Render/Material.h"
#include "Render/PIVertexBuffer.h"

CPBatchTable::CPBatchTable(CPIVertexBuffer* buffer) : m_buffer(buffer) {}

CPBatchTable::~CPBatchTable() = default;

CPIVBlock* CPBatchTable::Find(const CPObject* material) const
{
    if (const auto* known = ObjectCast<const CPMaterial>(material)) {
        const std::size_t slot = known->GetSlot();
        return slot < m_bySlot.size() ? m_bySlot[slot].get() : nullptr;
    }
    const auto found = m_byAddress.find(material);
    return found == m_byAddress.end() ? nullptr : found->second.get();
}

CPIVBlock* CPBatchTable::Get(const CPObjectPtr& material)
{
    std::unique_ptr<CPIVBlock>* place = nullptr;
    if (const auto* known = material.As<CPMaterial>()) {
        const std::size_t slot = known->GetSlot();
        if (slot >= m_bySlot.size())
            m_bySlot.resize(slot + 1);
        place = &m_bySlot[slot];
    } else {
        place = &m_byAddress[material.Get()];
    }
    if (!*place) {
        *place = std::make_unique<CPIVBlock>(material, CPObjectPtr(m_buffer));
        ++m_count;
    }
    return place->get();
}

void CPBatchTable::Clear()
{
    m_bySlot.clear();
    m_byAddress.clear();
    m_count = 0;
}
