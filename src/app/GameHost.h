#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <cstdio>

#include "app/Autopilot.h"
#include "app/FramePacer.h"
#include "app/InputDispatch.h"
#include "app/ScreenChoice.h"
#include "app/KeyboardDriver.h"
#include "app/InputScript.h"
#include "app/RaceWatch.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "app/EngineServices.h"
#include "app/PlatformDevices.h"
#include "core/Singletons.h"

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
class HeadlessGraphicsDevice;
class HeadlessInputDevice;
class InputDevice;
class SoundDevice;
} // namespace platform

// The game's host: creates the engine singletons, runs the frame loop and
// tears everything down again. Headless, every frame steps a fixed frame
// time; in a window, the time the last frame really took. RunFrame holds
// the order of a frame.
class GameHost {
  public:
    // Frames run when no limit is given: a short look at the menus, or a
    // whole race (3 laps of a 3 km circuit at 30 m/s take about 18000)
    // once a level runs.
    static constexpr int kMenuFrames = 300;
    static constexpr int kRaceFrames = 24000;
    // The whole game, menus and races, when a race's end does not end it.
    static constexpr int kGameFrames = 5 * kRaceFrames;

    struct Options {
        int frames = -1;                // frames to run before stopping; -1 for the defaults above
        float frameTime = 1.0f / 60.0f; // seconds per frame headless, and a window's first
        std::string dataRoot = ".";     // folder that holds Data\...
        unsigned int seed = 1;          // of the game's random numbers, and the clock's start
        bool autopilot = false;         // a computer driver steers the player's car
        InputScript input;              // keys and mouse played back by frame
        std::FILE* progress = nullptr;  // where the race's one updating line goes, if anywhere
        bool sound = false;             // heard sound and music, not headless
        bool window = false;            // draw in a real window, not headless
        bool wholeGame = false;         // a race's end does not end the run, only the scripts' exit
        bool needsStartScript = true;   // false when the run starts a level itself
        ScreenRequest screen;           // size and mode over what config.cfg says
        // The clock, in seconds, that frames are measured by. A window uses
        // the machine's steady clock when none is given; a headless run
        // given one steps by it too instead of the fixed frame time.
        FramePacer::Clock realClock;
        int maxFrameRate = 0;     // frames a second at most in a window; 0: as many as come
        bool verticalSync = true; // a window waits for the display where the driver lets it
        bool untilQuit = false;   // play on past the race's end until a quit (a window always does)
    };

    explicit GameHost(const Options& options);
    ~GameHost();

    GameHost(const GameHost&) = delete;
    GameHost& operator=(const GameHost&) = delete;

    // True when the frames go to a real window; false when headless (also
    // when a window was asked for and could not be had: GetDeviceError says why).
    bool HasWindow() const { return m_devices.windowGraphics != nullptr; }
    const std::string& GetDeviceError() const { return m_deviceError; }
    // What the data lacks for a game to be played (one line, also in the
    // log); empty when all is there. See app/StartupCheck.h.
    const std::string& GetStartupProblem() const { return m_startupProblem; }
    // Writes the window's last presented frame as a PNG file.
    bool SaveScreenshot(const std::string& path, std::string* error) const
    {
        return SaveWindowScreenshot(m_devices, path, error);
    }

    // Runs frames until the frame limit passes, a quit is asked for or the
    // race of the current level is over; returns the number of frames
    // run. The frame that asks still ends.
    int Run();
    // The frame limit of the run as it stands.
    int GetFrameLimit() const;
    // The race as the host saw it: laps, times and places of every car.
    const RaceWatch& GetRaceWatch() const { return m_watch; }
    // One frame: input, the kernel's tasks by priority, the frame drawn
    // and presented, then the deferred deletes.
    void RunFrame();
    // Makes the level of that name current, loads it from "Data\Levels"
    // and starts it: the AI manager, the physics world and the race join
    // the kernel, so that every frame steps them. False, leaving no level,
    // when it does not load (the log says why).
    bool StartLevel(const std::string& name);
    // The current level (made by StartLevel or by the scripts); null when
    // there is none.
    CPLevel* GetLevel() const { return GetCurrentLevel(); }
    // Hands this frame's keys and mouse to the interface screens and the
    // scripts, every press and release in the order it came.
    void DispatchInput();
    // Ends the run after the current frame. Scripts and the game ask the
    // same way a windowed game does, by posting the quit message
    // (platform::PostQuit); the host sees it between frames.
    void Quit() { m_quit = true; }
    bool IsQuitAsked() const;
    // Whether the run goes on until a quit rather than ending with the race.
    bool PlaysUntilQuit() const { return HasWindow() || m_options.untilQuit; }
    // The seconds the last frame stepped.
    float GetFrameTime() const { return m_frameTime; }

    CPKernel& GetKernel() { return *m_kernel; }
    // The keyboard and mouse the host feeds; the input manager reads it
    // once a frame.
    platform::InputDevice& GetInputDevice() { return *m_devices.input; }
    // The input to feed by hand: the headless device, or the state of the
    // window's keyboard and mouse.
    platform::HeadlessInputDevice* GetHeadlessInput() { return m_devices.headlessInput; }
    // Draws the device accepted over the whole run (0 when the device
    // keeps no count).
    std::uint64_t GetDrawCount() const;
    platform::GraphicsDevice& GetDevice() { return *m_devices.graphics; }
    // What the headless devices recorded; null on any other device.
    platform::HeadlessGraphicsDevice* GetHeadlessDevice() { return m_devices.headlessGraphics; }
    // The Lua state the start script ran in.
    CPScriptHost& GetScriptHost() { return *m_scripts; }

    // The shot kinds the game launches by name.
    static constexpr const char* kShotKindsFile = "Data\\Effects\\shots.txt";
    // Idle shots each kind holds from the start: more than the busiest kind
    // (the sparks of hits) has in flight in a race, so a race makes none.
    static constexpr std::size_t kReadyShotsPerKind = 20;

  private:
    // The effect prototypes and the shot kinds, once the sound manager and
    // the scene loader exist.
    void LoadEffectsAndShots();
    // What the frame's scene needs beyond the tasks' walks: the level's
    // sun light when no sky adds it, and the static scenery when no level
    // index walks it; and the frame's particles.
    void PrepareScene();

    Options m_options;
    // Before anything reads a file or logs a line, and given back last.
    RunFolders m_folders;
    std::string m_deviceError;
    std::string m_startupProblem;
    // What config.cfg and the command line chose; the services start from it.
    GameSettings m_settings;
    PlatformDevices m_devices;
    // Made once the devices say whether there is a window.
    FramePacer m_pacer;
    float m_frameTime = 0.0f;
    std::unique_ptr<EngineServices> m_services;
    // The services the frame reaches every time, held by m_services.
    CPKernel* m_kernel = nullptr;
    CPRender* m_render = nullptr;
    CPPhysicsWorld* m_physicsWorld = nullptr;
    CPInputManager* m_inputManager = nullptr;
    InputDispatch m_inputDispatch;
    CPScriptHost* m_scripts = nullptr;
    // The run's multimedia clock, milliseconds: the services' clock.
    double m_clock = 0.0;
    Autopilot m_autopilot;
    KeyboardDriver m_keyboard;
    RaceWatch m_watch;
    bool m_quit = false;
    bool m_scriptsRan = false; // a script object was among the tasks after the last frame
};
