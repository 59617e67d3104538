#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Kernel.h"
#include "core/ObjectRegistry.h"

class CPAIManager;
class CPAnimationCache;
class CPAVIPlayer;
class CPAVIPlayer1;
class CPInputManager;
class CPPhysicsWorld;
class CPGameData;
class CPShotManager;
class CPInterfaceManager;
class CPLevel;
class CPRenderObjectLoader;
class CPEffectLibrary;
class CPEffectManager;
class CPMaterialLibrary;
class CPMusic;
class CPRender;
class CPSoundManager;
class CPRenderList;
class CPScriptHost;
class CPTextureLibrary;
namespace platform {
class GraphicsDevice;
class InputDevice;
class SoundDevice;
} // namespace platform

// The game's host: creates the engine singletons, runs the frame loop and
// tears everything down again. It runs headless with a fixed frame time;
// RunFrame holds the order of a frame.
class GameHost {
  public:
    struct Options {
        int frames = 300;               // frames to run before stopping
        float frameTime = 1.0f / 60.0f; // seconds per frame
        std::string dataRoot = ".";     // folder that holds Data\...
    };

    explicit GameHost(const Options& options);
    ~GameHost();

    GameHost(const GameHost&) = delete;
    GameHost& operator=(const GameHost&) = delete;

    // Runs frames until the frame limit passes or a quit is asked for;
    // returns the number of frames run. The frame that asks still ends.
    int Run();
    // One frame: input, the kernel's tasks by priority, the deferred
    // deletes, then the frame drawn and presented.
    void RunFrame();
    // Makes the level of that name current, loads it from "Data\Levels"
    // and starts it: the AI manager, the physics world and the race join
    // the kernel, so that every frame steps them. False, leaving no level, when it does
    // not load (the log says why).
    bool StartLevel(const std::string& name);
    // The level StartLevel made; null before.
    CPLevel* GetLevel() const { return m_level.get(); }
    // Hands this frame's mouse to the interface screens: a move when the
    // mouse moved, a press or release for each button that changed.
    void DispatchInput();
    // Ends the run after the current frame. Scripts and the game ask the
    // same way a windowed game does, by posting the quit message
    // (platform::PostQuit); the host sees it between frames.
    void Quit() { m_quit = true; }
    bool IsQuitAsked() const;

    CPKernel& GetKernel() { return *m_kernel; }
    // The keyboard and mouse the host feeds; the input manager reads it
    // once a frame.
    platform::InputDevice& GetInputDevice() { return *m_input; }
    // Draws the device accepted over the whole run.
    std::uint64_t GetDrawCount() const;
    platform::GraphicsDevice& GetDevice() { return *m_device; }
    // The Lua state the start script ran in.
    CPScriptHost& GetScriptHost() { return *m_scripts; }

    // The shot kinds the game launches by name.
    static constexpr const char* kShotKindsFile = "Data\\Effects\\shots.txt";

  private:
    // The effect prototypes and the shot kinds, once the sound manager and
    // the scene loader exist.
    void LoadEffectsAndShots();
    // What the frame's scene needs beyond the tasks' walks: the level's
    // sun light when no sky adds it, and the static scenery when no level
    // index walks it; and the frame's particles.
    void PrepareScene();

    Options m_options;
    std::unique_ptr<CPKernel> m_kernel;
    std::unique_ptr<CPObjectRegistry> m_registry;
    std::unique_ptr<platform::GraphicsDevice> m_device;
    std::unique_ptr<CPRender> m_render;
    std::unique_ptr<CPTextureLibrary> m_textures;
    std::unique_ptr<CPEffectLibrary> m_effects;
    std::unique_ptr<CPMaterialLibrary> m_materials;
    std::unique_ptr<CPEffectManager> m_effectManager;
    std::unique_ptr<CPAnimationCache> m_animationCache;
    std::unique_ptr<CPRenderObjectLoader> m_loader;
    std::unique_ptr<CPPhysicsWorld> m_physicsWorld;
    std::unique_ptr<CPAIManager> m_aiManager;
    std::unique_ptr<CPGameData> m_gameData;
    std::unique_ptr<CPShotManager> m_shots;
    std::unique_ptr<platform::InputDevice> m_input;
    std::unique_ptr<CPInputManager> m_inputManager;
    std::unique_ptr<CPInterfaceManager> m_interfaceManager;
    std::array<bool, 8> m_buttonsDown{}; // mouse buttons as the last frame saw them
    std::unique_ptr<platform::SoundDevice> m_soundDevice;
    std::unique_ptr<CPSoundManager> m_soundManager;
    std::unique_ptr<CPMusic> m_music;
    std::unique_ptr<CPAVIPlayer> m_videoPlayer;
    std::unique_ptr<CPAVIPlayer1> m_videoPlayer1;
    // The frame's render list and the one of the level's dynamic geometry.
    std::unique_ptr<CPRenderList> m_sceneList;
    std::unique_ptr<CPRenderList> m_dynamicList;
    std::unique_ptr<CPScriptHost> m_scripts;
    std::unique_ptr<CPLevel> m_level;
    bool m_quit = false;
};
