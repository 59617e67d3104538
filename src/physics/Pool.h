#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

#include "physics/Allocator.h"
#include "physics/List.h"

// A fixed number of records in one block from the simulator's allocator,
// with the free ones on a list threaded through them. T carries `next`,
// `prev` and an `inUse` byte. Taking never allocates; a pool that is empty
// refuses, and a record given back can be taken again.
//
// The records are handed out in block order, and those given back after
// them, so the records never taken yet need no links: they are the block's
// tail past a mark, made only when first taken. A level sized for
// thousands of records then only touches the memory of those it uses.
template <typename T> class PhPool {
  public:
    PhPool() = default;
    PhPool(const PhPool&) = delete;
    PhPool& operator=(const PhPool&) = delete;
    ~PhPool() { Release(); }

    // Builds the pool with room for capacity records (none for a count of 0
    // or less). Returns false, leaving the pool empty, when the block
    // cannot be had.
    bool Create(int capacity, PhAllocator& allocator)
    {
        Release();
        if (capacity <= 0)
            return true;
        const std::size_t count = static_cast<std::size_t>(capacity);
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            return false;
        void* block = allocator.Alloc(count * sizeof(T), 0);
        if (!block)
            return false;
        m_allocator = &allocator;
        m_items = static_cast<T*>(block);
        m_capacity = capacity;
        m_made = 0;
        return true;
    }

    // Destroys every record and gives the block back.
    void Release()
    {
        if (!m_items)
            return;
        for (int i = 0; i < m_made; ++i)
            m_items[i].~T();
        m_allocator->Free(m_items);
        m_items = nullptr;
        m_allocator = nullptr;
        m_capacity = 0;
        m_made = 0;
        m_free = PhList<T>();
        m_inUseCount = 0;
    }

    // The head of the free list, freshly constructed and flagged in use, or
    // nothing when the pool is empty.
    T* Take()
    {
        T* item = nullptr;
        if (m_made < m_capacity) {
            item = new (m_items + m_made) T();
            ++m_made;
        } else {
            item = m_free.head;
            if (!item)
                return nullptr;
            m_free.Unlink(item);
            item->~T();
            new (item) T();
        }
        item->inUse = 1;
        ++m_inUseCount;
        return item;
    }

    // Puts a record of this pool back at the end of the free list. A record
    // of another pool, or one already free, is refused.
    bool Give(T* item)
    {
        if (!Owns(item) || !item->inUse)
            return false;
        item->~T();
        new (item) T();
        item->inUse = 0;
        m_free.Append(item);
        --m_inUseCount;
        return true;
    }

    // Only records handed out at some time can be this pool's: the others
    // are not made yet.
    bool Owns(const T* item) const { return item && m_items && item >= m_items && item < m_items + m_made; }
    int IndexOf(const T* item) const { return static_cast<int>(item - m_items); }

    int GetCapacity() const { return m_capacity; }
    int GetFreeCount() const { return m_free.count + (m_capacity - m_made); }
    // Records made so far: those in use and those given back.
    int GetMadeCount() const { return m_made; }
    int GetInUseCount() const { return m_inUseCount; }

  private:
    PhAllocator* m_allocator = nullptr;
    T* m_items = nullptr;
    int m_capacity = 0;
    int m_made = 0;   // records [0, m_made) are made; the rest come next, in order
    PhList<T> m_free; // records given back, in the order they came
    int m_inUseCount = 0;
};
