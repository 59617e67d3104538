#include "game/RaceUpdater.h"

#include "core/ObjUpdater.h"
#include "core/Singletons.h"
#include "game/Level.h"
#include "game/ShotManager.h"

CPObjectPtr MakeRaceUpdater(CPLevel& level)
{
    CPLevel* owner = &level;
    auto* updater = new CPObjUpdater(
        owner,
        [owner] {
            owner->UpdateRace();
            if (CPShotManager* shots = GetWeaponManager())
                shots->Update();
        },
        0);
    updater->SetPriority(kRaceUpdaterPriority);
    return CPObjectPtr(updater);
}
