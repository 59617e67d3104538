#include <cstdio>

#include "Render/PRender.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/RaceUpdater.h"
#include "physics/PhysicsWorld.h"
#include "platform/Math.h"

namespace {

constexpr std::int32_t kMainCameraPass = 16;
constexpr std::int32_t kFarCameraPass = 120;
constexpr std::int32_t kIdentityPass = 17;
constexpr int kActivationPriority = 200;

void AddToKernel(CPTask* task)
{
    CPKernel* kernel = GetKernel();
    if (!kernel || !task)
        return;
    CPObjectPtr listed(task);
    kernel->AddTask(listed);
}

void ReadyGameData(CPGameData& data)
{
    const std::int32_t round = data.currentRound;
    if (round >= 1) {
        const auto index = static_cast<std::size_t>(round - 1);
        if (index < data.roundTimes.size())
            data.roundTimes[index] = 0.0f;
        else
            data.roundTimes.push_back(0.0f);
    }
    for (auto& entry : data.lapRecords) {
        std::vector<float>& countdowns = entry.second.countdowns;
        for (std::size_t i = 0; i < 5 && i < countdowns.size(); ++i)
            countdowns[i] = data.roundTime;
    }
}

} // namespace

void CPLevel::Start()
{
    race.requiredPlace = 0;
    race.raceDecided = false;
    race.places = {-1, -1, -1};
    race.fixedStepRemainder = 0.0f;
    SetFrameTime(0.0f);

    CPAIManager* ai = GetAIManager();
    CPPhysicsWorld* world = GetPhysicsWorld();
    if (ai)
        ai->SetPriority(CPAIManager::kPriority);
    if (world) {
        world->SetPriority(CPPhysicsWorld::kPriority);
        AddToKernel(world);
    }

    auto* camera = m_camera.As<CPCamera>();
    if (camera) {
        camera->SetMainCameraPass(kMainCameraPass);
        camera->SetFarCameraPass(kFarCameraPass);
        cameraSubject.SetCar(GetPlayer());
        camera->SetSubject(&cameraSubject);
    }
    if (CPRender* render = GetRender()) {
        render->SetPassMatrix(IdentityMatrix(), kIdentityPass);
        const Vector4 light{m_light.direction.x, m_light.direction.y, m_light.direction.z, 0.0f};
        render->SetPassMatrix(ShadowMatrix(light, Plane{0.0f, 0.0f, -1.0f, 0.0f}), kMainCameraPass);
    }

    // A level started again gets a fresh updater; the old one leaves the
    // kernel first.
    DeleteTasks(true);
    tasks[0] = MakeRaceUpdater(*this);
    AddToKernel(tasks[0].As<CPTask>());
    AddToKernel(ai);

    stopped = false;
    if (CPGameObject* player = GetPlayer())
        player->Activate(kActivationPriority);
    // The opponents come to life with the player's car: the scripts their
    // scene files name learn their addresses (to arm them and take their
    // hits), and the tear-down deactivates them again.
    for (CPGameObject* opponent : GetOpponents())
        if (opponent)
            opponent->Activate(kActivationPriority);
    if (auto* scene = m_levelScene.As<CPGameObject>())
        scene->Activate(kActivationPriority);

    race.levelFailedCountdown = kLevelTimeLimit;
    race.currentCheckpoint = 0;

    CPGameData* data = GetGameData();
    if (CPObjectRegistry* registry = GetObjectRegistry()) {
        char money[64];
        std::snprintf(money, sizeof(money), "%.2f", data ? static_cast<double>(data->money) : 0.0);
        registry->SendCommandByName("gamemenu", "set_money", money);
        registry->SendCommandByName("gamemenu", "init_game_interface", "");
    }
    if (data)
        ReadyGameData(*data);

    InitRaceTrack();
    race.elapsedTime = 0.0f;
    race.startClock = 0.0f;
    // The mission list, read after the level, knows the enemies' sources.
    SpawnEnemies();
}
