#include <cmath>

#include "Render/EffectManager.h"
#include "Render/PRender.h"
#include "Sound/NSound.h"
#include "Sound/SoundManager.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/LevelSlot.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/AIVehicle.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/ShotManager.h"
#include "game/RaceFrame.h"
#include "game/SceneBranches.h"
#include "physics/PhysicData.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

namespace {

constexpr float kTrafficDropHeight = 3.0f;

void StopSounds()
{
    CPSoundManager* sounds = GetSoundManager();
    if (!sounds || !sounds->GetLibrary())
        return;
    // The library holds every shared sound, the 3D ones among them.
    for (const CPSoundLibrary::Entry& entry : sounds->GetLibrary()->GetEntries()) {
        if (!entry.sound)
            continue;
        entry.sound->StopPlaying();
        entry.sound->Rewind();
    }
}

void PutBackOnRoad(CPGameObject& car)
{
    car.SetVisible(true);
    Vector3 p = car.GetPosition();
    CPPhysicData* data = car.GetPhysicData();
    PhRigidBody* body = data ? data->GetRigidBody() : nullptr;
    if (body) {
        const Vector4 zero{};
        body->SetForce(zero, Vector4{p.x, p.y, p.z, 1.0f});
        body->SetTorque(zero);
        body->SetAngularMomentum(zero);
        body->SetVelocity(zero);
    }
    p.z = kTrafficDropHeight;
    // Moves the levels of detail and the physics body with it.
    car.SetPosition(p);
    car.UpdateBounds();
    if (body)
        body->SetUserFlag(1);
}

// Into [0, turn] by whole turns; far-off values are brought near first so
// the steps stay few.
float WrapInto(float angle, float turn)
{
    if (std::fabs(angle) > 1000.0f)
        angle = std::fmod(angle, turn);
    while (angle > turn)
        angle -= turn;
    while (angle < 0.0f)
        angle += turn;
    return angle;
}

} // namespace

void MakeCurrentLevel(CPLevel* level)
{
    if (CPLevelSlot* slot = GetLevelSlot())
        slot->Install(level, level);
}

void ClearCurrentLevel()
{
    if (CPLevelSlot* slot = GetLevelSlot())
        slot->ClearLevel();
}

void CPLevel::HoldTraffic() { allOpponents = false; }

void CPLevel::ReleaseTraffic()
{
    if (CPAIManager* ai = GetAIManager())
        ai->SetTrafficOn(ai->GetTrafficCount() != 0);
    allOpponents = true;
    for (std::size_t i = kCountedOpponents; i < m_opponents.size(); ++i)
        PutBackOnRoad(*m_opponents[i]);
}

bool CPLevel::IsMovingBackwards() const
{
    float a = race.heading + (race.reversed ? race::kPi : 0.0f);
    if (!std::isfinite(a) || !std::isfinite(view.referenceHeading))
        return false;
    a = WrapInto(a, race::kTwoPi);
    // The difference wraps by 6.283, a little short of a full turn.
    const float d = WrapInto(view.referenceHeading - a, 6.283f);
    return d > 1.57f && d < 4.713f;
}

void CPLevel::RetireObject(CPObjectPtr& slot)
{
    if (slot)
        m_ownedObjects.push_back(slot);
    slot = CPObjectPtr();
}

void CPLevel::DeleteTasks(bool deferred)
{
    CPKernel* kernel = GetKernel();
    for (CPObjectPtr& slot : tasks) {
        auto* task = slot.As<CPTask>();
        slot = CPObjectPtr();
        if (!task)
            continue;
        task->End();
        if (kernel)
            kernel->RemoveTask(task);
        if (deferred)
            QueueObjectForDelete(task);
        else
            delete task;
    }
}

void CPLevel::ReleaseDriverCars()
{
    CPAIManager* ai = GetAIManager();
    if (!ai)
        return;
    for (const std::vector<AI_Vehicle*>* list : {&ai->GetOpponents(), &ai->GetTraffic()}) {
        for (AI_Vehicle* driver : *list)
            driver->ReleaseCar();
    }
}

void CPLevel::Shutdown()
{
    HoldTraffic();
    if (auto* scene = m_levelScene.As<CPGameObject>())
        scene->Deactivate();
    // The splines stay with the level until it is deleted; nothing may
    // search them from a line of the race any more.
    race.headingLine = nullptr;
    trackPoints.clear();
    race.opponentNearestPoint.clear();
    race.opponentProgress.clear();
    race.raceRunning = false;
    // Shots in flight belong to this race.
    if (CPShotManager* shots = GetWeaponManager())
        shots->ClearActive();

    for (const CPObjectPtr& object : firstObjects) {
        if (auto* gameObject = object.As<CPGameObject>())
            gameObject->Deactivate();
    }
    firstObjects.clear();
    // The cars go out of play; the level deletes them when it goes.
    for (CPGameObject* opponent : m_opponents) {
        opponent->Deactivate();
        m_ownedObjects.push_back(CPObjectPtr(opponent));
    }
    m_opponents.clear();
    if (CPGameObject* player = GetPlayer())
        player->Deactivate();

    if (CPAIManager* ai = GetAIManager()) {
        ai->ClearDrivers();
        ai->End();
    }
    if (CPPhysicsWorld* world = GetPhysicsWorld())
        world->End();

    // The branches stay owned where they are: the level deletes them
    // before the objects they list.
    if (auto* branches = dynamic_cast<CPSceneBranches*>(m_branchRoot.Get()))
        branches->DeactivatePlainObjects();
    RetireObject(m_recordGhost);

    // A script may stop the level from inside the frame that steps it.
    DeleteTasks(true);
    stopped = true;

    queries.ReleaseGrid();

    cameraTarget = nullptr;
    cameraSubject.SetCar(nullptr);
    RetireObject(m_player);
    RetireObject(m_lensFlare);

    if (CPEffectManager* effects = GetEffectManager())
        effects->ClearEffects();
    if (CPGameData* data = GetGameData())
        data->levelStarted = false;
    StopSounds();
    if (CPRender* render = GetRender())
        render->ReleaseStaticMeshes();
}
