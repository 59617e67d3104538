#include "app/GameHost.h"

#include <limits>

#include "DynamicSky/Skyscape.h"
#include "Render/EffectManager.h"
#include "Render/ParticleFile.h"
#include "Render/PRender.h"
#include "Render/RenderSky.h"
#include "app/StartupCheck.h"
#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Kernel.h"
#include "core/PackFile.h"
#include "core/ScriptObject.h"
#include "game/GameData.h"
#include "core/Singletons.h"
#include "game/FlameEffect.h"
#include "game/Level.h"
#include "game/ShotManager.h"
#include "interface/FontFile.h"
#include "interface/InputManager.h"
#include "interface/Interface.h"
#include "physics/PhysicsWorld.h"
#include "platform/Dialog.h"
#include "platform/FileSystem.h"
#include "platform/Clock.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/InputDevice.h"
#include "platform/Random.h"
#include "platform/SoundDevice.h"
#include "script/ScriptHost.h"

namespace {

constexpr const char* kActionsFile = "Actions.cfg";

// The window when asked for and available, else the headless devices.
PlatformDevices MakeDevices(const GameHost::Options& options, GameSettings& settings, std::string* error)
{
    platform::PresentParameters screen =
        ChooseScreen(options.dataRoot, options.screen, options.window, settings);
    if (options.window) {
        screen.waitForVerticalSync = options.verticalSync;
        PlatformDevices devices = MakeWindowDevices(screen, error);
        if (devices.graphics)
            return devices;
    }
    return MakeHeadlessDevices(screen);
}

// Whether a script object is among the kernel's tasks.
bool AnyScriptRuns(const CPKernel& kernel)
{
    for (const CPObjectPtr& task : kernel.GetTasks())
        if (task.As<CPScriptObject>())
            return true;
    return false;
}

// Headless runs step the fixed frame time unless a clock is given; a
// window measures its frames.
FramePacer MakePacer(const GameHost::Options& options, bool window)
{
    if (options.realClock)
        return FramePacer(options.frameTime, options.realClock, nullptr, 0);
    if (window)
        return FramePacer(options.frameTime, FramePacer::SystemClock(), FramePacer::SystemSleep(),
                          options.maxFrameRate);
    return FramePacer(options.frameTime);
}

} // namespace

GameHost::GameHost(const Options& options)
    : m_options(options),
      // The log sits beside the data it speaks of, and what config.cfg says
      // of the screen may need it. Data files are named relative to the
      // data folder; those not on disk are looked for in its pack files.
      m_folders(options.dataRoot, options.dataRoot + "/log.txt", "*.pak"),
      m_devices(MakeDevices(options, m_settings, &m_deviceError)),
      m_pacer(MakePacer(options, m_devices.windowGraphics != nullptr))
{
    if (!m_deviceError.empty())
        LogLine("No window, running headless: " + m_deviceError);
    // The heard sound takes the headless one's place before any service
    // holds the device.
    std::string why;
    if (m_options.sound && !UseHeardSound(m_devices, &why))
        LogLine("No sound can be heard (" + why + "); sounds and music play silently");
    // The run's multimedia clock starts at the seed and goes by the frame
    // time, so what the game seeds from the clock follows from the seed
    // too, whatever the machine's speed.
    m_clock = m_options.seed;
    RunTiming timing;
    timing.seed = m_options.seed;
    timing.clock = [this] { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(m_clock)); };
    m_services =
        std::make_unique<EngineServices>(m_devices.graphics.get(), m_devices.sound.get(), m_settings, timing);
    m_kernel = &m_services->Kernel();
    m_render = &m_services->Render();
    m_physicsWorld = &m_services->PhysicsWorld();
    m_inputManager = &m_services->Input();
    // The heads-up display's texts need the screens' fonts, whose glyph
    // pictures come through the material library.
    CPFontFile::Load(CPFontFile::kDefaultFile, m_services->Interfaces());
    // The screens read their texts from the text table as they are built.
    m_services->GameData().LoadTexts(CPGameData::kTextFile);
    // What the shop offers and the best times of earlier runs are the
    // game's from its first screen on.
    m_services->GameData().LoadShop(CPGameData::kShopFile);
    m_services->GameData().LoadScores();
    // The key bindings; the scripts may load others or rebind them.
    m_inputManager->ParseActionsConfig(kActionsFile);
    InstallSkyscape(*m_render);
    m_render->InitDeviceState();
    // The special sounds are read from the data folder, so they come after it.
    m_services->Sounds().LoadSpecialSounds();
    LoadEffectsAndShots();
    m_scripts = &m_services->Scripts();
    const bool ran = m_scripts->RunStartScript();
    m_startupProblem =
        startup::FindProblem({m_options.dataRoot, m_options.needsStartScript, ran}, *m_scripts);
    if (!m_startupProblem.empty())
        LogLine(m_startupProblem);
}

GameHost::~GameHost()
{
    // The computer's driver follows the level, which goes with the game.
    m_autopilot.Release();
    m_services.reset();
    m_devices = PlatformDevices();
}

bool GameHost::StartLevel(const std::string& name)
{
    // A level is current from its loading until its deletion, and scripts
    // can delete it too, so whoever holds it current owns it.
    delete GetCurrentLevel();
    auto* level = new CPLevel();
    MakeCurrentLevel(level);
    if (Failed(level->Load(name, false, false))) {
        delete level;
        return false;
    }
    // The AI manager, the physics world and the race join the kernel.
    level->Start();
    LogLine("Level \"" + name + "\" started");
    return true;
}

void GameHost::LoadEffectsAndShots()
{
    // Particles draw through materials of the library.
    CPParticleFile::Load(CPParticleFile::kDefaultFile, m_services->EffectManager());
    // The flame thrower's requests become flame shots.
    m_services->EffectManager().RegisterPrototype("firethrower", new CPFlameEffect("flame"));
    // Shots play sounds of the sound manager and may load models.
    m_services->Shots().LoadKinds(kShotKindsFile);
    m_services->Shots().FillPools(kReadyShotsPerKind);
}

std::uint64_t GameHost::GetDrawCount() const { return CountDraws(m_devices); }

int GameHost::GetFrameLimit() const
{
    if (m_options.frames >= 0)
        return m_options.frames;
    // A player in a window plays until the game is quit.
    if (PlaysUntilQuit())
        return std::numeric_limits<int>::max();
    if (m_options.wholeGame)
        return kGameFrames;
    return m_watch.IsWatching() ? kRaceFrames : kMenuFrames;
}

int GameHost::Run()
{
    // Often enough to follow, seldom enough to cost nothing.
    constexpr int kProgressEvery = 15;
    int frame = 0;
    bool shown = false;
    while (!IsQuitAsked() && frame < GetFrameLimit() &&
           (PlaysUntilQuit() || m_options.wholeGame || !m_watch.IsOver())) {
        // Recorded input is played into the input state, in a window beside
        // what the window's keyboard and mouse report.
        if (m_devices.headlessInput)
            m_options.input.Play(frame, *m_devices.headlessInput);
        if (m_options.autopilot)
            m_autopilot.Drive(GetCurrentLevel());
        RunFrame();
        m_watch.Update(GetCurrentLevel(), m_frameTime);
        ++frame;
        if (m_options.progress && m_watch.IsWatching() && frame % kProgressEvery == 0) {
            std::fprintf(m_options.progress, "\r%-48s", m_watch.FormatProgress().c_str());
            std::fflush(m_options.progress);
            shown = true;
        }
    }
    if (shown) {
        std::fprintf(m_options.progress, "\r%-48s\r", "");
        std::fflush(m_options.progress);
    }
    return frame;
}

bool GameHost::IsQuitAsked() const { return m_quit || platform::IsQuitPosted(); }

// The order of a frame.
void GameHost::RunFrame()
{
    m_frameTime = m_pacer.NextFrame();
    // Closing the window ends the run like a posted quit.
    if (!PumpWindowEvents(m_devices))
        Quit();
    // 1. Input: the tasks see this frame's keys and mouse, and the keys
    //    drive the player's car unless the computer does.
    DispatchInput();
    if (!m_options.autopilot)
        m_keyboard.Drive(GetCurrentLevel(), *m_inputManager);
    //    The other actions (firing, the super weapon) are the scripts', the
    //    computer's driving or not.
    m_keyboard.TellActions(*m_inputManager);
    // 2. Tasks, by ascending priority (core/TaskPriorities.h): AI, physics
    //    and videos, race progress (which walks the level into the render
    //    list), then everything else; the frame time is set first.
    m_kernel->StepTasks(m_frameTime);
    //    Scripts that end every one of their objects end the game (the
    //    menu's Exit).
    const bool scriptsRun = AnyScriptRuns(*m_kernel);
    if (m_scriptsRan && !scriptsRun)
        Quit();
    m_scriptsRan = scriptsRun;
    //    The level start lists the physics world as a task; until then (or
    //    without a level) the host steps it itself, once a frame.
    if (!m_physicsWorld->IsRunning())
        m_physicsWorld->Step();
    // 3. Render: the scene completed, the sky, lights, passes and overlays
    //    drawn, and 4. presented.
    PrepareScene();
    m_render->RenderFrame(m_frameTime);
    // 5. Deferred deletes: objects the tasks and scripts let go of (a level
    //    among them), once no step runs and the frame's batches are drawn.
    DeleteQueuedObjects();
    m_clock += static_cast<double>(m_frameTime) * 1000.0;
}

void GameHost::PrepareScene()
{
    CPLevel* level = GetCurrentLevel();
    // A sky that loaded adds the level's sun light as it draws; without
    // one (none, or a sky file missing or refused) the level lights itself.
    const CPRenderSky* sky = m_render->GetSky();
    if (level && !(sky && sky->LightsLevel()))
        level->RegisterLight();
    // A level's index is walked by the race; without one, the renderer
    // finds the registered scenery the camera sees.
    if (!level || (!level->GetBranchRoot() && !level->GetQuadTreeRoot()))
        m_render->CollectStaticMeshes();
    // The frame's particles move and join the scene.
    m_services->EffectManager().StepEffects(m_frameTime);
}

void GameHost::DispatchInput() { m_inputDispatch.Dispatch(*m_devices.input, *m_inputManager); }
