#include "support/GuardedBytes.h"

#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

GuardedBytes::GuardedBytes(const std::string& bytes)
{
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t readable = (bytes.size() + page - 1) / page * page;
    const std::size_t size = (readable > 0 ? readable : page) + page;
    void* pages = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED)
        return;
    m_pages = static_cast<char*>(pages);
    m_size = size;
    const std::size_t guard = size - page;
    if (::mprotect(m_pages + guard, page, PROT_NONE) != 0)
        return;
    m_data = m_pages + guard - bytes.size();
    std::memcpy(m_data, bytes.data(), bytes.size());
}

GuardedBytes::~GuardedBytes()
{
    if (m_pages)
        ::munmap(m_pages, m_size);
}
