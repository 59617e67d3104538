#include "DynamicSky/SkyLevel.h"

namespace {
CPSkyLevel* g_skyLevel = nullptr;
}

CPSkyLevel* GetSkyLevel() { return g_skyLevel; }
void SetSkyLevel(CPSkyLevel* level) { g_skyLevel = level; }
