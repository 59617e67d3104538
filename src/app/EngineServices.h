#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Render/AnimationCache.h"
#include "Render/EffectLibrary.h"
#include "Render/EffectManager.h"
#include "Render/MaterialLibrary.h"
#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObjectLoader.h"
#include "Render/TextureLibrary.h"
#include "Sound/PMusic.h"
#include "Sound/SoundManager.h"
#include "core/GameSettings.h"
#include "core/Kernel.h"
#include "core/LevelSlot.h"
#include "core/ObjectRegistry.h"
#include "core/ServiceSlot.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/GameData.h"
#include "game/ShotManager.h"
#include "interface/InputManager.h"
#include "interface/InterfaceManager.h"
#include "physics/PhysicsWorld.h"
#include "platform/MusicOutput.h"
#include "script/GlobalTimer.h"

class CPScriptHost;
namespace platform {
class GraphicsDevice;
class SoundDevice;
} // namespace platform

// Where a run's files are: the data folder that file names are relative
// to, the pack files found there, and the log. The services' owner makes
// it before anything reads a file or logs a line (the game's host before
// its devices, which read config.cfg); when it goes, the data folder and
// the log are again what they were and no pack stays open.
class RunFolders {
  public:
    // `packs`: the pattern of the pack files to open in the data folder
    // ("*.pak"); none when empty.
    RunFolders(const std::string& dataRoot, const std::string& logPath, const std::string& packs);
    ~RunFolders();

    RunFolders(const RunFolders&) = delete;
    RunFolders& operator=(const RunFolders&) = delete;

  private:
    std::string m_previousRoot;
    std::string m_previousLog;
};

// What a run's chance and time follow: the seed of the game's random
// numbers, and the clock in milliseconds the game reads (the machine's when
// empty), given back when the services go.
struct RunTiming {
    unsigned int seed = 1;
    std::function<std::uint32_t()> clock;
};

// The engine's services, each reachable through its global getter while
// this object lives, and the one place that sets those globals. The
// settings, clocks, timers and the random numbers every component reads
// start from scratch, so a run (or a test) meets nothing of the one
// before. The services are made in the order the engine needs them (the
// renderer and its libraries, the kernel, sound and media, then the game's
// managers and the level slot) and go in the reverse order, each getter
// cleared before its object is deleted; the hooks that reach them from
// below (the sky's device, the hit sound, the flames, the text lookup, the
// camera) go first. The devices are the caller's and must outlive it.
//
// The game goes before them, in one order for the game's host and the
// tests alike: the kernel's tasks end, the deferred deletes run, the
// current level goes, then the scripts' state with the objects the
// scripts made. What the caller made on top of that it ends first.
class EngineServices {
  public:
    // `settings` are the game's settings to start from: the defaults, or
    // what config.cfg and the command line chose.
    EngineServices(platform::GraphicsDevice* graphics, platform::SoundDevice* sound,
                   const GameSettings& settings = GameSettings(), const RunTiming& timing = RunTiming());
    ~EngineServices();

    EngineServices(const EngineServices&) = delete;
    EngineServices& operator=(const EngineServices&) = delete;

    CPRender& Render() { return *m_render; }
    CPTextureLibrary& Textures() { return *m_textures; }
    CPEffectLibrary& Effects() { return *m_effects; }
    CPMaterialLibrary& Materials() { return *m_materials; }
    CPRenderList& SceneList() { return *m_lists.scene; }
    CPRenderList& DynamicList() { return *m_lists.dynamic; }
    CPObjectRegistry& Registry() { return *m_registry; }
    CPKernel& Kernel() { return *m_kernel; }
    CPGlobalTimer& GlobalTimer() { return *m_globalTimer; }
    CPAnimationCache& Animations() { return *m_animationCache; }
    CPEffectManager& EffectManager() { return *m_effectManager; }
    CPSoundManager& Sounds() { return *m_sounds; }
    CPAVIPlayer1& VideoPlayer1() { return *m_videoPlayer1; }
    CPAVIPlayer& VideoPlayer() { return *m_videoPlayer; }
    CPMusic& Music() { return *m_music; }
    CPPhysicsWorld& PhysicsWorld() { return *m_physicsWorld; }
    CPGameData& GameData() { return *m_gameData; }
    CPRenderObjectLoader& Loader() { return *m_loader; }
    CPInputManager& Input() { return *m_input; }
    CPInterfaceManager& Interfaces() { return *m_interfaces; }
    CPShotManager& Shots() { return *m_shots; }
    CPAIManager& AI() { return *m_ai; }
    CPLevelSlot& Levels() { return *m_levels; }
    // The game's Lua state, opened on first asking: the scripts need every
    // service from their first line on.
    CPScriptHost& Scripts();

  private:
    // The frame's render list and the one of the level's dynamic geometry,
    // handed to the renderer; it lets go of them before they go, and they
    // go before the materials their batches hold.
    struct RenderLists {
        explicit RenderLists(CPRender& render);
        ~RenderLists();
        CPRender& render;
        std::unique_ptr<CPRenderList> scene;
        std::unique_ptr<CPRenderList> dynamic;
    };

    // Puts the settings, clocks, timers and random numbers in their
    // starting state; first, since the services read them as they are
    // made, and last to go, giving the clock back.
    struct FreshStart {
        FreshStart(const GameSettings& settings, const RunTiming& timing);
        ~FreshStart();
        FreshStart(const FreshStart&) = delete;
        FreshStart& operator=(const FreshStart&) = delete;
    };
    // The hooks through which the layers below reach the services, set
    // once every service is made and cleared before any goes.
    struct Hooks {
        Hooks(platform::GraphicsDevice* graphics, CPEffectManager& effects);
        ~Hooks();
        Hooks(const Hooks&) = delete;
        Hooks& operator=(const Hooks&) = delete;
    };

    // The game on top of the services, ended before they go.
    void EndGame();

    FreshStart m_fresh;
    // Materials hold effects and texture blocks, which hold textures.
    ServiceSlot<CPRender, SetRender> m_render;
    ServiceSlot<CPTextureLibrary, SetTextureLibrary> m_textures;
    ServiceSlot<CPEffectLibrary, SetEffectLibrary> m_effects;
    ServiceSlot<CPMaterialLibrary, SetMaterialLibrary> m_materials;
    RenderLists m_lists;
    ServiceSlot<CPObjectRegistry, SetObjectRegistry> m_registry;
    // The scripts' race clock is one of the kernel's tasks: it goes
    // after the kernel lets go of it.
    ServiceSlot<CPGlobalTimer, SetGlobalTimer> m_globalTimer;
    ServiceSlot<CPKernel, SetKernel> m_kernel;
    // Animations go last of what the scene refers to; effect prototypes
    // may hold materials.
    ServiceSlot<CPAnimationCache, SetAnimationCache> m_animationCache;
    ServiceSlot<CPEffectManager, SetEffectManager> m_effectManager;
    // Sounds hold device buffers; the video players take their frames out
    // of the texture library; the music player may be listed with the kernel.
    ServiceSlot<CPSoundManager, SetSoundManager> m_sounds;
    ServiceSlot<CPAVIPlayer1, SetAVIPlayer1> m_videoPlayer1;
    ServiceSlot<CPAVIPlayer, SetAVIPlayer> m_videoPlayer;
    // Music is heard through the sound device where it hears anything,
    // for as long as the music player lives.
    platform::ScopedMusicOutput m_musicOutput;
    ServiceSlot<CPMusic, SetMusicPlayer> m_music;
    // The physics world forgets its collision mesh in the renderer.
    ServiceSlot<CPPhysicsWorld, SetPhysicsWorld> m_physicsWorld;
    ServiceSlot<CPGameData, SetGameData> m_gameData;
    ServiceSlot<CPRenderObjectLoader, SetRenderObjectLoader> m_loader;
    ServiceSlot<CPInputManager, SetInputManager> m_input;
    ServiceSlot<CPInterfaceManager, SetInterfaceManager> m_interfaces;
    ServiceSlot<CPShotManager, SetWeaponManager> m_shots;
    ServiceSlot<CPAIManager, SetAIManager> m_ai;
    // The current level and the sky's; the level in it goes with the game,
    // before any service.
    ServiceSlot<CPLevelSlot, SetLevelSlot> m_levels;
    Hooks m_hooks;
    std::unique_ptr<CPScriptHost> m_scripts;
};
