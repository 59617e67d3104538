#include "core/AddressSet.h"

namespace {

constexpr std::size_t kFirstSlots = 1024;

} // namespace

bool AddressSet::Insert(const void* address)
{
    if (!address)
        return false;
    if (2 * (m_count + 1) > m_slots.size())
        Grow();
    const std::size_t slot = Find(address);
    if (m_slots[slot])
        return false;
    m_slots[slot] = address;
    ++m_count;
    return true;
}

bool AddressSet::Erase(const void* address)
{
    if (!address || m_slots.empty())
        return false;
    std::size_t hole = Find(address);
    if (m_slots[hole] != address)
        return false;
    // Later entries of the run move back into the hole unless their home
    // lies after it, so that no search stops short of them.
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t next = (hole + 1) & mask; m_slots[next]; next = (next + 1) & mask) {
        const std::size_t home = Home(m_slots[next]);
        const bool homeAfterHole =
            hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (homeAfterHole)
            continue;
        m_slots[hole] = m_slots[next];
        hole = next;
    }
    m_slots[hole] = nullptr;
    --m_count;
    return true;
}

void AddressSet::Grow()
{
    std::vector<const void*> old;
    old.swap(m_slots);
    const std::size_t size = old.empty() ? kFirstSlots : 2 * old.size();
    m_slots.assign(size, nullptr);
    m_shift = 64;
    for (std::size_t s = size; s > 1; s >>= 1)
        --m_shift;
    for (const void* address : old)
        if (address)
            m_slots[Find(address)] = address;
}
