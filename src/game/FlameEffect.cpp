#include "game/FlameEffect.h"

#include <utility>

#include "core/Singletons.h"
#include "game/ShotManager.h"

CPFlameEffect::CPFlameEffect(std::string shotKind) : m_shotKind(std::move(shotKind)) { m_untracked = true; }

void CPFlameEffect::SpawnInstance(CPInstanceDesc& instance)
{
    if (CPShotManager* manager = GetWeaponManager())
        manager->Launch(m_shotKind, instance.position, instance.velocity, instance.word1,
                        instance.heldObject);
}
