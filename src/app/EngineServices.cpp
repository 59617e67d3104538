#include "app/EngineServices.h"

#include "DynamicSky/VertexObject.h"
#include "Render/CurrentCamera.h"
#include "Render/RenderPass.h"
#include "Render/RenderSettings.h"
#include "Sound/NSound.h"
#include "Sound/SoundSettings.h"
#include "core/Frame.h"
#include "core/GameClock.h"
#include "core/GameObjectParts.h"
#include "core/Log.h"
#include "core/Object.h"
#include "core/PackFile.h"
#include "core/ShadowMatrix.h"
#include "core/TextLookup.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "game/PlayerServices.h"
#include "physics/ImpactSound.h"
#include "physics/MassDivisor.h"
#include "physics/PhysicData.h"
#include "physics/Sparks.h"
#include "platform/Clock.h"
#include "platform/Dialog.h"
#include "platform/FileSystem.h"
#include "platform/Random.h"
#include "platform/SoundDevice.h"
#include "script/ScriptHost.h"

RunFolders::RunFolders(const std::string& dataRoot, const std::string& logPath, const std::string& packs)
    : m_previousRoot(platform::GetDataRoot()), m_previousLog(GetLogFilePath())
{
    SetLogFilePath(logPath);
    platform::SetDataRoot(dataRoot);
    GetPackFileList().Clear();
    if (!packs.empty())
        GetPackFileList().AddPacks(packs);
}

RunFolders::~RunFolders()
{
    GetPackFileList().Clear();
    platform::SetDataRoot(m_previousRoot);
    SetLogFilePath(m_previousLog);
}

EngineServices::FreshStart::FreshStart(const GameSettings& settings, const RunTiming& timing)
{
    // Every random choice of the run, the scripts' first included, follows
    // from the seed; what the game seeds from the clock follows too when
    // the clock does.
    platform::SeedRand(timing.seed);
    platform::SetClockSource(timing.clock);
    // A quit asked for before this run is not this run's.
    platform::ClearPostedQuit();
    GetGameSettings() = settings;
    GetRenderSettings() = CPRenderSettings();
    GetSoundSettings() = SoundSettings();
    GetGameClock() = GameClock();
    ResetSparkTimer();
    SetShadowMatrix(Matrix4());
    SetMassDivisor(1);
    // Videos take the sounds' volume along.
    CNSound::SetGlobalVolume(CNSound::kStartVolume);
    GetCoreFrame() = CPFrame();
    GetPlayerServices() = DefaultPlayerServices();
    // The record counts speak of this run only.
    CPCountedInstances<CPRenderPass>::RestartCounts();
    CPCountedInstances<CPDrawGroup>::RestartCounts();
    CPCountedInstances<CPDrawEntry>::RestartCounts();
}

EngineServices::FreshStart::~FreshStart() { platform::SetClockSource(nullptr); }

EngineServices::Hooks::Hooks(platform::GraphicsDevice* graphics, CPEffectManager& effects)
{
    SetSkyDevice(graphics);
    SetImpactSound(&PlayImpactSound);
    SetPhysicDataMaker(&CPPhysicData::Make);
    // Burning game objects take their flames from the effect manager.
    SetFlameSource(&effects);
    SetTextLookup(&CurrentGameText);
    SetCameraSource(&CurrentLevelCamera);
}

EngineServices::Hooks::~Hooks()
{
    SetCameraSource(nullptr);
    SetTextLookup(nullptr);
    SetFlameSource(nullptr);
    SetPhysicDataMaker(nullptr);
    SetImpactSound(nullptr);
    SetSkyDevice(nullptr);
}

EngineServices::RenderLists::RenderLists(CPRender& owner)
    : render(owner), scene(std::make_unique<CPRenderList>(&owner)),
      dynamic(std::make_unique<CPRenderList>(&owner))
{
    render.SetSceneObject(scene.get());
    render.SetDynamicList(dynamic.get());
}

EngineServices::RenderLists::~RenderLists()
{
    render.SetSceneObject(CPObjectPtr());
    render.SetDynamicList(CPObjectPtr());
}

EngineServices::EngineServices(platform::GraphicsDevice* graphics, platform::SoundDevice* sound,
                               const GameSettings& settings, const RunTiming& timing)
    : m_fresh(settings, timing), m_render(graphics), m_materials(*m_effects, *m_textures), m_lists(*m_render),
      m_sounds(sound), m_musicOutput(sound ? sound->GetMusicOutput() : nullptr),
      m_hooks(graphics, *m_effectManager)
{
}

EngineServices::~EngineServices() { EndGame(); }

CPScriptHost& EngineServices::Scripts()
{
    if (!m_scripts)
        m_scripts = std::make_unique<CPScriptHost>();
    return *m_scripts;
}

void EngineServices::EndGame()
{
    // A frame ended before it was drawn (a test that lists objects and
    // draws nothing) still lists what it took: the lists forget them before
    // any of them goes.
    m_lists.scene->ClearFrame();
    m_lists.dynamic->ClearFrame();
    // Tasks may point at services and at the level's objects, so the list
    // goes before they do.
    m_kernel->KillAllTasks();
    m_kernel->RemoveKilledTasks();
    // The race's bonus list holds objects of the level's and the scripts'
    // trees, which go before the game data does.
    m_gameData->bonuses.clear();
    // Levels the scripts dropped in the last frame go while everything they
    // report to still exists.
    DeleteQueuedObjects();
    // The level's objects report to script objects, hold bodies of the
    // physics world and materials of the libraries, and its cars are driven
    // by the AI manager: it goes before all of them. Scripts may have made
    // or deleted levels themselves, so the current one is the one to go.
    delete GetCurrentLevel();
    // The bonus list may hold trees the scripts loaded, which go with the
    // state; the game data outlives both.
    m_gameData->bonuses.clear();
    // The script objects leave the registry with the state, and with it go
    // the screens and trees the scripts made.
    m_scripts.reset();
    // Objects queued for deletion may still need the services.
    DeleteQueuedObjects();
}
