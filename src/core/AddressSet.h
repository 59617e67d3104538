#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A set of addresses in one open-addressed table (linear probing, kept at
// most half full). Every engine object enters at construction and leaves at
// destruction, and scripts ask after addresses every frame: a node-based
// set allocated at each entry and scattered its nodes over the heap.
// Null is never a member.
class AddressSet {
  public:
    // False for null and for an address already held.
    bool Insert(const void* address);
    // False for an address not held.
    bool Erase(const void* address);
    bool Contains(const void* address) const
    {
        return address && !m_slots.empty() && m_slots[Find(address)] == address;
    }
    std::size_t Size() const { return m_count; }

  private:
    std::size_t Home(const void* address) const
    {
        // Objects lie at least 16 bytes apart; the golden-ratio product
        // spreads their remaining bits over the top ones.
        const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)) >> 4;
        return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    // The slot holding the address, or the free slot where it would go.
    std::size_t Find(const void* address) const
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t slot = Home(address);
        while (m_slots[slot] && m_slots[slot] != address)
            slot = (slot + 1) & mask;
        return slot;
    }
    void Grow();

    std::vector<const void*> m_slots;
    std::size_t m_count = 0;
    unsigned m_shift = 64;
};
