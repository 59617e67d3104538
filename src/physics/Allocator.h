#pragma once

#include <cstddef>

// Where the physics library takes every block of memory it uses. The base
// class is the default: blocks come from the C heap and the running count
// of bytes handed out is kept. A caller may pass its own allocator to the
// simulator to account or limit the memory differently.
class PhAllocator {
  public:
    virtual ~PhAllocator() = default;

    // A block of at least size bytes, or nothing. flags is always 0.
    virtual void* Alloc(std::size_t size, int flags);
    virtual void Free(void* block);

    std::size_t GetBytesHandedOut() const { return m_bytesHandedOut; }

  private:
    std::size_t m_bytesHandedOut = 0;
};
