#pragma once

#include <memory>

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
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ServiceSlot.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/GameData.h"
#include "game/ShotManager.h"
#include "interface/InputManager.h"
#include "interface/InterfaceManager.h"
#include "physics/PhysicsWorld.h"

namespace platform {
class GraphicsDevice;
class SoundDevice;
} // namespace platform

// The engine's services, each reachable through its global getter while
// this object lives. They are made in the order the engine needs them (the
// renderer and its libraries, the kernel, sound and media, then the game's
// managers) and go in the reverse order, each getter cleared before its
// object is deleted. The devices are the caller's and must outlive it.
//
// What the services hold of the game (tasks, the current level, script
// objects) is the caller's to end first.
class EngineServices {
  public:
    EngineServices(platform::GraphicsDevice* graphics, platform::SoundDevice* sound);
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

    // Materials hold effects and texture blocks, which hold textures.
    ServiceSlot<CPRender, SetRender> m_render;
    ServiceSlot<CPTextureLibrary, SetTextureLibrary> m_textures;
    ServiceSlot<CPEffectLibrary, SetEffectLibrary> m_effects;
    ServiceSlot<CPMaterialLibrary, SetMaterialLibrary> m_materials;
    RenderLists m_lists;
    ServiceSlot<CPObjectRegistry, SetObjectRegistry> m_registry;
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
    ServiceSlot<CPMusic, SetMusicPlayer> m_music;
    // The physics world forgets its collision mesh in the renderer.
    ServiceSlot<CPPhysicsWorld, SetPhysicsWorld> m_physicsWorld;
    ServiceSlot<CPGameData, SetGameData> m_gameData;
    ServiceSlot<CPRenderObjectLoader, SetRenderObjectLoader> m_loader;
    ServiceSlot<CPInputManager, SetInputManager> m_input;
    ServiceSlot<CPInterfaceManager, SetInterfaceManager> m_interfaces;
    ServiceSlot<CPShotManager, SetWeaponManager> m_shots;
    ServiceSlot<CPAIManager, SetAIManager> m_ai;
};
