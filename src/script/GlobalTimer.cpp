#include "script/GlobalTimer.h"

namespace {
CPGlobalTimer* g_globalTimer = nullptr;
}

CPGlobalTimer* GetGlobalTimer() { return g_globalTimer; }

void SetGlobalTimer(CPGlobalTimer* timer) { g_globalTimer = timer; }
