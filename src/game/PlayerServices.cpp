#include "game/PlayerServices.h"

#include "core/Singletons.h"
#include "game/Level.h"
#include "game/ShotManager.h"

namespace {

// Sparks of a pick-up rise from the bonus; they carry no launch value and
// no shooter.
void LaunchThroughShotManager(const std::string& name, const Vector3& position)
{
    if (CPShotManager* manager = GetWeaponManager())
        manager->Launch(name, position, Vector3{0.0f, 0.0f, 1.0f}, -1.0f, CPObjectPtr());
}

void ReleaseLevelTraffic(CPLevel& level) { level.ReleaseTraffic(); }

} // namespace

CPPlayerServices DefaultPlayerServices() { return {&LaunchThroughShotManager, &ReleaseLevelTraffic}; }

CPPlayerServices& GetPlayerServices()
{
    static CPPlayerServices services = DefaultPlayerServices();
    return services;
}
