#include "physics/MassDivisor.h"

namespace {

int g_massDivisor = 1;

} // namespace

int GetMassDivisor() { return g_massDivisor; }

bool SetMassDivisor(int divisor)
{
    if (divisor <= 0)
        return false;
    g_massDivisor = divisor;
    return true;
}

float ApplyMassDivisor(float mass) { return mass / static_cast<float>(g_massDivisor); }
