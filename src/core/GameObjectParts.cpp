#include "core/GameObjectParts.h"

namespace {

CPFlameSource* g_flameSource = nullptr;

} // namespace

CPFlameSource* GetFlameSource() { return g_flameSource; }
void SetFlameSource(CPFlameSource* source) { g_flameSource = source; }
