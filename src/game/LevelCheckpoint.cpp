#include "core/GameObject.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Level.h"

void CPLevel::ShowCheckPoint()
{
    if (race.currentCheckpoint >= checkpoints.size()) {
        shownCheckpoint = CPObjectPtr();
        checkpointPointer.SetTarget(CPObjectPtr());
        return;
    }
    shownCheckpoint = checkpoints[race.currentCheckpoint].object;
    if (auto* shown = shownCheckpoint.As<CPGameObject>())
        shown->SetVisible(true);
    if (CPObjectRegistry* registry = GetObjectRegistry())
        registry->SendCommandByCategory("main", "say_show", "");
    checkpointPointer.SetTarget(shownCheckpoint);
}
