#include "game/RaceUpdater.h"

#include "core/ObjUpdater.h"
#include "game/Level.h"

CPObjectPtr MakeRaceUpdater(CPLevel& level)
{
    CPLevel* owner = &level;
    auto* updater = new CPObjUpdater(
        owner, [owner] { owner->UpdateRace(); }, 0);
    updater->SetPriority(kRaceUpdaterPriority);
    return CPObjectPtr(updater);
}
