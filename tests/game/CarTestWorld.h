#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Sound/SoundManager.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "physics/Controller.h"
#include "physics/PhysicData.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/SoundDevice.h"
#include "support/ScratchFolder.h"
#include "support/WaveFiles.h"
#include "platform/HeadlessSoundDevice.h"
#include "support/CommandDrain.h"
#include "core/ServiceOverride.h"

// A level's physics world, a registry with a running "jeep" script, a data
// folder with the three car sounds, a sound manager, and a car's scene
// object with four wheels "w0".."w3" and the four light children. The
// game data's level-started flag starts clear.
class CarTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_folder.UseAsDataRoot();
        // Sounds play against a clock that stands still: what plays keeps
        // playing.
        m_clock.emplace([] { return 1000u; });
        for (const char* name : {"main.wav", "vizg.wav", "nitro.wav"})
            m_folder.Write(std::string("Data/Sounds/") + name, MakeWave(1, 22050, 8, RampBytes(64)));
        m_installedWorld.emplace(&m_world);
        ASSERT_TRUE(m_world.Init());
        m_installedRegistry.emplace(&m_registry);
        m_jeep.Begin();
        m_registry.Register("jeep", "", &m_jeep);
        m_sounds = std::make_unique<CPSoundManager>(&m_device);
        m_installedSounds.emplace(m_sounds.get());
        m_installedGameData.emplace(&m_gameData);
        GetGameClock() = GameClock();
        GetGameSettings().smoke = 1;
        platform::SeedRand(1);

        m_owner = new CPGameObject("PLAYER");
        auto* data = new CPPhysicData(m_owner);
        data->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
        m_owner->SetPhysicData(CPObjectPtr(data));
        const Vector3 wheels[] = {
            {1.0f, -1.5f, 0.0f}, {-1.0f, -1.5f, 0.0f}, {1.0f, 1.5f, 0.0f}, {-1.0f, 1.5f, 0.0f}};
        for (int i = 0; i < 4; ++i)
            Child("w" + std::to_string(i)).SetPosition(wheels[i]);
        for (const char* light : {"stoplights", "stoplights2", "backlights", "backlights2"})
            Child(light);
    }

    void TearDown() override
    {
        DestroyCar(*m_owner);
        CPGameObject::DeleteTree(m_owner);
        m_installedGameData.reset();
        GetGameClock() = GameClock();
        m_installedSounds.reset();
        m_sounds.reset();
        m_installedRegistry.reset();
        m_installedWorld.reset();
        m_clock.reset();
    }

    CPGameObject& Child(const std::string& name)
    {
        auto* child = new CPGameObject(name);
        m_owner->AddChild(CPObjectPtr(child));
        return *child;
    }
    CPGameObject* Light(const std::string& name) const
    {
        return m_owner->GetChildByName(name).As<CPGameObject>();
    }

    // Gives the owner the description and makes its car in the level.
    CPCar& MakeCar(const std::string& xml = "<physics/>", bool withSounds = false)
    {
        m_owner->GetDescription().Clear();
        m_owner->GetDescription().Parse(xml.c_str());
        if (!m_owner->GetPhysicData()->GetRigidBody()) {
            EXPECT_TRUE(m_world.AddLevelObject(CPObjectPtr(m_owner), 1, 1));
        }
        CreateCar(CPObjectPtr(m_owner), withSounds);
        CPCar* car = m_owner->GetPhysicsObject().As<CPCar>();
        EXPECT_NE(car, nullptr);
        return *car;
    }

    PhRigidBody& Body() const { return *m_owner->GetPhysicData()->GetRigidBody(); }

    // The controller through which the simulator calls the car.
    PhController* Controller() const
    {
        for (PhController* c = Body().controllers.head; c; c = c->next)
            if (c->listener == m_owner->GetPhysicsObject().As<CPCar>())
                return c;
        return nullptr;
    }

    // What the simulator hands the car in one step: the body's velocity,
    // and for each wheel its sensor's detection.
    void SetVelocity(const Vector3& v) { Body().velocity = Vector4{v.x, v.y, v.z, 0.0f}; }
    void Detect(CPCar& car, int wheel, float depth, const Vector3& point, const Vector3& normal = {0, 0, 1})
    {
        PhSensor* sensor = car.GetWheel(wheel).sensor;
        ASSERT_NE(sensor, nullptr);
        sensor->detectDepth = depth;
        sensor->detectContactPoint = Vector4{point.x, point.y, point.z, 1.0f};
        sensor->detectNormal = Vector4{normal.x, normal.y, normal.z, 0.0f};
    }
    // All four wheels on flat ground under their rest positions.
    void OnGround(CPCar& car, float depth)
    {
        for (int i = 0; i < 4; ++i) {
            const Vector3 rest = car.GetWheel(i).restPosition;
            Detect(car, i, depth, {rest.x, rest.y, -1.0f});
        }
    }
    void Step(CPCar& car, float dt) { car.OnStep(Controller(), dt); }
    // A new frame of the frame loop.
    void NextFrame(float frameTime)
    {
        GameClock& clock = GetGameClock();
        ++clock.frameCount;
        clock.frameTime = frameTime;
        clock.effectsThisFrame = 0;
    }

    std::vector<std::string> JeepCommands() { return DrainCommands(m_jeep); }

    ScratchFolder m_folder;
    LogCapture m_log;
    platform::HeadlessSoundDevice m_device;
    CPPhysicsWorld m_world;
    CPScriptObject m_jeep;
    CPObjectRegistry m_registry;
    std::unique_ptr<CPSoundManager> m_sounds;
    CPGameData m_gameData;
    CPGameObject* m_owner = nullptr;

    void StartLevel() { m_gameData.levelStarted = true; }
    // The sound manager goes; its getter finds none until tear-down.
    void DropSounds()
    {
        m_installedSounds.emplace(nullptr);
        m_sounds.reset();
    }

  private:
    // Each installed over what was there in set-up, and put back in
    // tear-down in the reverse order.
    std::optional<ServiceOverride<platform::GetClockSource, platform::SetClockSource>> m_clock;
    std::optional<ServiceOverride<GetPhysicsWorld, SetPhysicsWorld>> m_installedWorld;
    std::optional<ServiceOverride<GetObjectRegistry, SetObjectRegistry>> m_installedRegistry;
    std::optional<ServiceOverride<GetSoundManager, SetSoundManager>> m_installedSounds;
    std::optional<ServiceOverride<GetGameData, SetGameData>> m_installedGameData;
};
