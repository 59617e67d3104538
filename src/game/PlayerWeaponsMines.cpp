// The car's mines: laid one a press behind the car while it has any.
#include <cmath>

#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/Player.h"
#include "game/PlayerWeapons.h"
#include "game/RaceFrame.h"
#include "game/ShotManager.h"
#include "game/Shot.h"
#include "platform/VectorMath.h"

namespace {

// Past the far end of the car's box: a mine must not lie under the car
// that lays it.
constexpr float kClearance = 2.0f;

} // namespace

void CPPlayerWeapons::LayMine()
{
    if (!mineShot)
        return;
    mineShot = false;
    if (!mineReady || mineName.empty() || m_car.wrecked)
        return;
    CPShotManager* manager = GetWeaponManager();
    if (!manager)
        return;
    const AxisBox& box = m_car.GetOwnBox();
    const float reach = std::hypot(box.halfSize.x, box.halfSize.y) + kClearance;
    const Vector3 behind = box.centre - race::Forward(m_car) * reach;
    manager->Launch(mineName, Vector3{behind.x, behind.y, box.minimum.z}, Vector3{0.0f, 0.0f, 0.0f},
                    CPShot::kNoLaunchValue, CPObjectPtr(&m_car));
    mineParameters.value1 -= 1;
    mineReady = mineParameters.value1 > 0;
    race::Send("gamemenu", "update_game_interface");
}
