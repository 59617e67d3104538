#include "interface/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <limits>

float ParseFloatText(const std::string& text)
{
    const float value = std::strtof(text.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0f;
}

std::int32_t ParseIntText(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::uint32_t ParseColourText(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(value) & 0xFFFFFFFFull);
}
