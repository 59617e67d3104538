#include "core/GameObjectParts.h"

namespace {

CPFlameSource* g_flameSource = nullptr;
CPPhysicDataMaker g_physicDataMaker = nullptr;

} // namespace

CPFlameSource* GetFlameSource() { return g_flameSource; }
void SetFlameSource(CPFlameSource* source) { g_flameSource = source; }

void SetPhysicDataMaker(CPPhysicDataMaker maker) { g_physicDataMaker = maker; }

CPPhysicDataMaker GetPhysicDataMaker() { return g_physicDataMaker; }

CPObjectPtr NewPhysicData(CPGameObject* owner)
{
    return g_physicDataMaker ? g_physicDataMaker(owner) : CPObjectPtr();
}
