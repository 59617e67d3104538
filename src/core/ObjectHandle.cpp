#include "core/ObjectHandle.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>

std::string FormatObjectHandle(const void* object)
{
    return std::to_string(reinterpret_cast<std::uintptr_t>(object));
}

void* ParseObjectHandle(const std::string& text)
{
    if (text.empty())
        return nullptr;
    for (char c : text) {
        if (c < '0' || c > '9')
            return nullptr;
    }
    errno = 0;
    unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value > std::numeric_limits<std::uintptr_t>::max())
        return nullptr;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
}
