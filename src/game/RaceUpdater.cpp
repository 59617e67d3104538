#include "game/RaceUpdater.h"

#include "Render/PRender.h"
#include "Render/RenderList.h"
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
            CPShotManager* shots = GetWeaponManager();
            if (!shots)
                return;
            shots->Update();
            // Drawn after the step, so a shot that has just burst is not.
            CPObjectPtr scene;
            if (CPRender* render = GetRender())
                render->GetSceneObject(scene);
            if (auto* list = scene.As<CPRenderList>())
                shots->AddActiveTo(*list);
        },
        0);
    updater->SetPriority(kRaceUpdaterPriority);
    return CPObjectPtr(updater);
}
