#include "physics/Allocator.h"

#include <cstdlib>

void* PhAllocator::Alloc(std::size_t size, int /*flags*/)
{
    m_bytesHandedOut += size;
    return std::malloc(size);
}

void PhAllocator::Free(void* block) { std::free(block); }
