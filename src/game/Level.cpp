#include "game/Level.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "Render/PRender.h"
#include "Render/QuadTreeNode.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/LevelSlot.h"
#include "core/Log.h"
#include "game/EnemyObject.h"
#include "core/Singletons.h"
#include "game/LevelCar.h"
#include "game/LevelIndex.h"
#include "game/Spline.h"
#include "platform/Clock.h"

namespace {

// Deletes what the slot holds (a game object with its whole tree) and
// empties the slot first, so that no pointer releases a freed object.
void DeleteHeld(CPObjectPtr& slot)
{
    CPObject* object = slot.Get();
    slot = CPObjectPtr();
    if (!object)
        return;
    if (auto* gameObject = dynamic_cast<CPGameObject*>(object))
        CPGameObject::DeleteTree(gameObject);
    else
        delete object;
}

void ReplaceHeld(CPObjectPtr& slot, CPObjectPtr next)
{
    if (slot == next)
        return;
    DeleteHeld(slot);
    slot = next;
}

} // namespace

CPLevel::CPLevel() { race.lastRealTime = platform::Milliseconds(); }

CPLevel::~CPLevel()
{
    shownCheckpoint = CPObjectPtr();
    checkpointPointer.Clear();
    // The spatial indexes and the reference-only lists go before the
    // objects they refer to.
    m_quadTreeRoot.reset();
    DeleteHeld(m_branchRoot);
    firstObjects.clear();
    secondObjects.clear();
    speedZones.clear();
    checkpoints.clear();
    numberedObjects.clear();
    queries.ClearGrid();
    trackPoints.clear();
    DeleteTasks(false);
    // A retired level has let go of the drivers and the bonuses already;
    // by now they may be a newer level's.
    if (GetCurrentLevel() == this) {
        ReleaseDriverCars();
        DropBonuses();
    }
    cameraTarget = nullptr;
    DeleteEnemies();
    DeleteOwnedObjects();

    // A level destroyed after a newer one was made current leaves the newer
    // one current.
    LeaveLevelSlot();
}

void CPLevel::LeaveLevelSlot()
{
    // The renderer holds the sky, but it is this level's: left there it
    // would go on drawing and setting the clear colour after the level.
    // A newer level made since has loaded its own sky, which stays.
    CPLevelSlot* slot = GetLevelSlot();
    if (!slot || !slot->Forget(this, this))
        return;
    if (CPRender* render = GetRender())
        render->DropSkyscape();
}

void CPLevel::DeleteOwnedObjects()
{
    // Every reference is let go before anything is deleted, and an object
    // entered in two slots is deleted once.
    std::vector<CPObject*> held;
    for (CPObjectPtr& object : m_ownedObjects)
        held.push_back(object.Get());
    m_ownedObjects.clear();
    held.insert(held.end(), m_opponents.begin(), m_opponents.end());
    m_opponents.clear();
    for (CPObjectPtr* slot : {&m_player, &m_camera, &m_levelScene, &m_roadCollision, &m_terrain,
                              &m_pathSpline, &m_leftBorder, &m_rightBorder, &m_recordGhost, &m_lensFlare}) {
        held.push_back(slot->Get());
        *slot = CPObjectPtr();
    }
    std::unordered_set<CPObject*> deleted;
    for (CPObject* object : held) {
        if (!object || !deleted.insert(object).second)
            continue;
        CPObjectPtr last(object);
        DeleteHeld(last);
    }
}

std::string CPLevel::FormatFloat(float value) const
{
    char text[64];
    std::snprintf(text, sizeof(text), "%.3f", static_cast<double>(value));
    return text;
}

std::int32_t CPLevel::LevelNumberFromName(const std::string& name)
{
    for (std::int32_t number = 1; number <= 10; ++number) {
        if (name == "level" + std::to_string(number))
            return number;
    }
    return 0;
}

void CPLevel::ResetLight()
{
    m_light = platform::Light();
    m_light.type = platform::LightType::Directional;
    m_light.diffuse = {0.99609375f, 0.99609375f, 0.99609375f, 0.0f};
    m_light.specular = m_light.diffuse;
    m_light.direction = {0.0f, 0.0f, -1.0f};
    m_light.range = 10000.0f;
}

void CPLevel::RegisterLight()
{
    if (CPRender* render = GetRender())
        render->AddLight(m_light);
}

// --- Owned objects -----------------------------------------------------------

void CPLevel::SetPlayer(CPObjectPtr player)
{
    if (player && !player.As<CPGameObject>()) {
        LogLine("CPLevel: the player car must be a game object");
        return;
    }
    if (cameraTarget == m_player.Get())
        cameraTarget = nullptr;
    ReplaceHeld(m_player, player);
}

CPGameObject* CPLevel::GetPlayer() const { return m_player.As<CPGameObject>(); }

void CPLevel::AddOpponent(CPObjectPtr car)
{
    auto* gameObject = car.As<CPGameObject>();
    if (!gameObject) {
        LogLine("CPLevel: an opponent car must be a game object");
        return;
    }
    if (std::find(m_opponents.begin(), m_opponents.end(), gameObject) != m_opponents.end())
        return;
    m_opponents.push_back(gameObject);
}

void CPLevel::SetCamera(CPObjectPtr camera) { ReplaceHeld(m_camera, camera); }

void CPLevel::SetSplines(CPObjectPtr path, CPObjectPtr left, CPObjectPtr right)
{
    ReplaceHeld(m_pathSpline, path);
    ReplaceHeld(m_leftBorder, left);
    ReplaceHeld(m_rightBorder, right);
}

CPSpline* CPLevel::GetPathSpline() const { return m_pathSpline.As<CPSpline>(); }
CPSpline* CPLevel::GetLeftBorder() const { return m_leftBorder.As<CPSpline>(); }
CPSpline* CPLevel::GetRightBorder() const { return m_rightBorder.As<CPSpline>(); }

void CPLevel::SetLevelScene(CPObjectPtr scene) { ReplaceHeld(m_levelScene, scene); }
void CPLevel::SetRoadCollision(CPObjectPtr object) { ReplaceHeld(m_roadCollision, object); }
void CPLevel::SetTerrain(CPObjectPtr terrain) { ReplaceHeld(m_terrain, terrain); }
void CPLevel::SetRecordGhost(CPObjectPtr ghost) { ReplaceHeld(m_recordGhost, ghost); }
void CPLevel::SetLensFlare(CPObjectPtr lensFlare) { ReplaceHeld(m_lensFlare, lensFlare); }

void CPLevel::AddOwnedObject(CPObjectPtr object)
{
    if (object)
        m_ownedObjects.push_back(object);
}

void CPLevel::SetQuadTreeRoot(std::unique_ptr<CPQuadTreeNode> root) { m_quadTreeRoot = std::move(root); }

void CPLevel::SetBranchRoot(CPObjectPtr root)
{
    if (root && !dynamic_cast<CPLevelIndex*>(root.Get())) {
        LogLine("CPLevel: the branch root does not answer level queries");
        return;
    }
    ReplaceHeld(m_branchRoot, root);
}

CPLevelIndex* CPLevel::GetIndex() const
{
    if (GetGameSettings().quadTree != 0)
        return nullptr;
    return dynamic_cast<CPLevelIndex*>(m_branchRoot.Get());
}

void CPLevel::SetWeaponPos(const Vector3& aimPoint, CPGameObject* target)
{
    if (auto* car = ObjectCast<CPLevelCar>(m_player.Get()))
        car->UpdateWeapon(aimPoint, target);
}
