#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FileReader.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/Kernel.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "game/AIManager.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/RaceCar.h"
#include "game/Spline.h"
#include "physics/PhysicsWorld.h"
#include "platform/Clock.h"
#include "platform/Math.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"
#include "support/CommandDrain.h"

// A car object that counts its state updates and draw calls.
class CountingCar : public CPPlayer {
  public:
    void UpdateState(float frameTime) override { steps.push_back(frameTime); }
    void DrawShadow(CPPerspectiveCamera* camera) override { drawnWith.push_back(camera); }
    void DrawShadowAsSeen(CPPerspectiveCamera* camera, bool) override { drawnWith.push_back(camera); }
    std::vector<float> steps;
    std::vector<CPPerspectiveCamera*> drawnWith;
};

// A level set up by hand: a closed square path spline "c_path" of 200
// units a side, loaded from its level-file record; a player car and
// opponents (CountingCar each) on it; the game camera; running script
// objects "game_interface", "jeep", "gamemenu" and one of the category
// "main"; a kernel, an AI manager with five opponent drivers and a physics
// world; game data for a race of two rounds. Nothing is stepped by physics:
// the tests place the cars frame by frame.
class RaceTest : public ::testing::Test {
  protected:
    static constexpr float kSide = 200.0f;

    void SetUp() override
    {
        folder.UseAsDataRoot();
        GetGameClock() = GameClock();
        GetGameSettings() = GameSettings();
        for (auto& entry : scripts) {
            entry.second.Begin();
            registry.Register(entry.first, entry.first == "main" ? "main" : "", &entry.second);
        }
        data.roundCount = 2;
        data.ClearGameData();
        for (int i = 0; i < 5; ++i)
            ai.AddOpponent();

        level = new CPLevel;
        MakeCurrentLevel(level);
        level->demoMode = false;
        level->SetCamera(CPObjectPtr(new CPCamera));
        level->SetSplines(CPObjectPtr(LoadSquarePath()), CPObjectPtr(), CPObjectPtr());
        player = new CountingCar;
        player->side = CPPlayer::kOwnCar | CPPlayer::kDarkSide;
        level->SetPlayer(CPObjectPtr(player));
        level->cameraTarget = player;
    }

    void TearDown() override
    {
        delete level;
        kernel.RemoveTask(&ai);
        kernel.RemoveTask(&world);
        kernel.RemoveKilledTasks();
        GetGameClock() = GameClock();
        GetGameSettings() = GameSettings();
    }

    // The square's corners in the spline's file order (anticlockwise seen
    // from above); the cars drive it the other way round.
    CPSpline* LoadSquarePath()
    {
        const Vector3 corners[4] = {{0, 0, 0}, {kSide, 0, 0}, {kSide, kSide, 0}, {0, kSide, 0}};
        std::string bytes;
        auto append = [&bytes](const void* p, std::size_t n) {
            bytes.append(static_cast<const char*>(p), n);
        };
        auto point = [&append](const Vector3& p) { append(&p, 12); };
        const std::string name = "c_path";
        const std::int32_t nameLength = 6, closed = 1, count = 4;
        append(&nameLength, 4);
        bytes += name;
        append(&closed, 4);
        append(&count, 4);
        for (int i = 0; i < 4; ++i) {
            const Vector3 a = corners[i];
            const Vector3 b = corners[(i + 1) % 4];
            const Vector3 d{b.x - a.x, b.y - a.y, b.z - a.z};
            point(a);
            point(b);
            point({a.x + d.x / 3, a.y + d.y / 3, 0});
            point({a.x + 2 * d.x / 3, a.y + 2 * d.y / 3, 0});
        }
        folder.Write("path.bin", bytes);
        CPFileReader reader("path.bin", false);
        EXPECT_EQ(reader.Load(), S_OK);
        auto* spline = new CPSpline;
        EXPECT_TRUE(spline->Load(reader));
        return spline;
    }

    CountingCar* AddOpponent(std::int32_t side = CPPlayer::kLightSide)
    {
        auto* car = new CountingCar;
        car->side = side;
        level->AddOpponent(CPObjectPtr(car));
        return car;
    }

    std::int32_t TrackSize() const { return static_cast<std::int32_t>(level->trackPoints.size()); }
    Vector3 TrackPoint(std::int32_t index) const
    {
        const std::int32_t n = TrackSize();
        return level->trackPoints[static_cast<std::size_t>(((index % n) + n) % n)]->start;
    }
    void Place(CPGameObject& car, std::int32_t index) { car.SetPosition(TrackPoint(index)); }

    // The start line across the track at track point 0.
    void SetStartLine()
    {
        const Vector3 start = TrackPoint(0);
        const Vector3 along = TrackPoint(1) - start;
        level->race.startPosition = start;
        level->race.finishLineDirection = {-along.y, along.x, 0.0f};
    }

    void Frame(float dt = 0.02f)
    {
        SetFrameTime(dt);
        now += static_cast<std::uint32_t>(dt * 1000.0f);
        level->UpdateRace();
    }

    // Moves every car one track point on per frame, `points` times.
    void DriveAll(const std::vector<CPGameObject*>& cars, std::int32_t& at, std::int32_t points)
    {
        for (std::int32_t i = 0; i < points; ++i) {
            ++at;
            for (CPGameObject* car : cars)
                Place(*car, at);
            Frame();
        }
    }

    // What a receiver was sent, oldest first, as "command(param|param)";
    // the queue is emptied.
    std::vector<std::string> Sent(const std::string& receiver) { return DrainCommands(scripts.at(receiver)); }
    void ClearSent()
    {
        for (auto& entry : scripts)
            Sent(entry.first);
    }

    CPCamera& Camera() const { return *level->GetCamera().As<CPCamera>(); }

    ScratchFolder folder;
    LogCapture log;
    std::uint32_t now = 1000;
    // The services read the time from `now`.
    TestEngine engine{RunTiming{1, [this] { return now; }}};
    CPObjectRegistry& registry = engine.services->Registry();
    std::map<std::string, CPScriptObject> scripts{};
    CPGameData& data = engine.services->GameData();
    CPKernel& kernel = engine.services->Kernel();
    CPAIManager& ai = engine.services->AI();
    CPPhysicsWorld& world = engine.services->PhysicsWorld();
    CPLevel* level = nullptr;
    CountingCar* player = nullptr;

  private:
    // The receivers exist before SetUp registers them.
    struct Receivers {
        explicit Receivers(std::map<std::string, CPScriptObject>& map)
        {
            for (const char* name : {"game_interface", "jeep", "gamemenu", "main"})
                map[name];
        }
    } m_receivers{scripts};
};
