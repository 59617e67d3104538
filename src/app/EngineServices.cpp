#include "app/EngineServices.h"

#include "DynamicSky/VertexObject.h"
#include "Render/CurrentCamera.h"
#include "Render/RenderSettings.h"
#include "Sound/NSound.h"
#include "Sound/SoundSettings.h"
#include "core/GameClock.h"
#include "core/Object.h"
#include "game/Camera.h"
#include "game/Level.h"
#include "core/ShadowMatrix.h"
#include "core/TextLookup.h"
#include "physics/ImpactSound.h"
#include "physics/MassDivisor.h"
#include "physics/PhysicData.h"
#include "physics/Sparks.h"
#include "platform/SoundDevice.h"
#include "script/ScriptHost.h"

EngineServices::FreshStart::FreshStart(const GameSettings& settings)
{
    GetGameSettings() = settings;
    GetRenderSettings() = CPRenderSettings();
    GetSoundSettings() = SoundSettings();
    GetGameClock() = GameClock();
    ResetSparkTimer();
    GetShadowMatrix() = Matrix4();
    SetMassDivisor(1);
    // Videos take the sounds' volume along.
    CNSound::SetGlobalVolume(CNSound::kStartVolume);
}

EngineServices::Hooks::Hooks(platform::GraphicsDevice* graphics)
{
    SetSkyDevice(graphics);
    SetImpactSound(&PlayImpactSound);
    SetPhysicDataMaker(&CPPhysicData::Make);
    SetTextLookup(&CurrentGameText);
    SetCameraSource(&CurrentLevelCamera);
}

EngineServices::Hooks::~Hooks()
{
    SetCameraSource(nullptr);
    SetTextLookup(nullptr);
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
                               const GameSettings& settings)
    : m_fresh(settings), m_render(graphics), m_materials(*m_effects, *m_textures), m_lists(*m_render),
      m_sounds(sound), m_musicOutput(sound ? sound->GetMusicOutput() : nullptr), m_hooks(graphics)
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
