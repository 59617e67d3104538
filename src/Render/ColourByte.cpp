#include "Render/ColourByte.h"

#include <cmath>

std::uint32_t TruncatedLowByte(double value)
{
    if (!std::isfinite(value))
        return 0;
    double low = std::fmod(std::trunc(value), 256.0);
    if (low < 0.0)
        low += 256.0;
    return static_cast<std::uint32_t>(low) & 0xFFu;
}
