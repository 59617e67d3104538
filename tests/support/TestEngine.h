#pragma once

#include <memory>

#include "app/EngineServices.h"
#include "app/PlatformDevices.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/HeadlessSoundDevice.h"

// Every engine service over the headless devices, each reachable through
// its getter for as long as this lives; they go in the order the game's
// host lets them go. A fixture holds one and names what it uses, e.g.
//     TestEngine engine;
//     CPRender& render = engine.services->Render();
// What the test made on top (levels, screens, trees) it deletes first.
class TestEngine {
  public:
    // `settings` and `timing` as the game's host would take them from
    // config.cfg and the command line: the clock a test drives by hand
    // goes here.
    explicit TestEngine(const GameSettings& settings = GameSettings(), const RunTiming& timing = RunTiming());
    explicit TestEngine(const RunTiming& timing) : TestEngine(GameSettings(), timing) {}
    // The services end the game (tasks, deferred deletes, the current
    // level, the scripts) as the game's host has them end it.
    ~TestEngine();

    // Ends the frame as drawing it would: the render lists forget what was
    // listed for it. A test that lists objects (through screens, scripts or
    // the level) and draws no frame calls it before it deletes them.
    void EndFrame();

    TestEngine(const TestEngine&) = delete;
    TestEngine& operator=(const TestEngine&) = delete;

    PlatformDevices devices;
    platform::HeadlessGraphicsDevice& device;
    platform::HeadlessSoundDevice& soundDevice;
    std::unique_ptr<EngineServices> services;
};
