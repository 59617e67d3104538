#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CarTestWorld.h"
#include "Render/EffectManager.h"
#include "Render/PRender.h"
#include "core/BoundingBox.h"
#include "core/FileReader.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/PlayerServices.h"
#include "game/Spline.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "platform/Math.h"
#include "support/EffectFakes.h"
#include "support/LevelSlotScope.h"

// The car test world with a player car object racing in a level: running
// script objects "game_interface", "main" and "gamemenu" besides "jeep",
// the bonus and "slam" sounds, a renderer, an effect manager that records
// the car's effects, and a record of the shots the race asks for. The
// level owns the player once MakeLevelPlayer ran.
class CarRaceTest : public CarTest {
  protected:
    void SetUp() override
    {
        CarTest::SetUp();
        for (const char* name :
             {"bonus_plus", "bonus_minus", "bonus_slow", "bonus_fast", "enter_sumrak", "chik", "slam"})
            m_folder.Write(std::string("Data/Sounds/") + name + ".wav", MakeWave(1, 22050, 8, RampBytes(64)));
        m_sounds->LoadSpecialSounds();
        for (auto* script : {&m_interface, &m_main, &m_gameMenu})
            script->Begin();
        m_registry.Register("game_interface", "", &m_interface);
        m_registry.Register("main", "", &m_main);
        m_registry.Register("gamemenu", "", &m_gameMenu);

        m_previousSettings = GetGameSettings();
        for (const char* name : {"smoke3car", "iskra3blue", "wall", "gilze"}) {
            effects[name] = new RecordingEffectPrototype();
            m_effects.RegisterPrototype(name, effects[name]);
        }
        m_installedEffects.emplace(&m_effects);
        m_installedRender.emplace(&m_render);
        Shots().clear();
        TrafficReleases() = 0;
        GetPlayerServices().launchShot = [](const std::string& name, const Vector3&) {
            Shots().push_back(name);
        };
        GetPlayerServices().releaseTraffic = [](CPLevel&) { ++TrafficReleases(); };

        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        level->race.raceRunning = true;

        CPGameObject::DeleteTree(m_owner);
        m_player = new CPPlayer();
        m_owner = m_player;
        auto* data = new CPPhysicData(m_owner);
        data->SetBox(2.0f, 4.0f, 1.0f, 10.0f);
        m_owner->SetPhysicData(CPObjectPtr(data));
        for (int i = 0; i < 4; ++i)
            Child("w" + std::to_string(i));
        for (const char* light :
             {"stoplights", "stoplights2", "backlights", "backlights2", "lflarerear", "rflarerear"})
            Child(light);
        m_player->SetBoundingBox(CPBoundingBox({}, {1.0f, 2.0f, 0.5f}));
        Place(*m_player, {0.0f, 0.0f, 0.0f});
        EXPECT_TRUE(m_world.AddLevelObject(CPObjectPtr(m_owner), 1, 1));
        m_player->CreateCar(false);
        ASSERT_NE(m_player->GetCar(), nullptr);
        // Standing on the ground: no respawn unless a test asks for one.
        m_player->GetPhysicData()->SetTerrainTriangleCount(2);
    }

    void TearDown() override
    {
        GetPlayerServices() = CPPlayerServices();
        m_gameData.bonuses.clear();
        for (CPGameObject* object : m_bonuses)
            CPGameObject::DeleteTree(object);
        level.reset();
        if (m_levelOwnsPlayer)
            m_owner = new CPGameObject("PLAYER");
        m_installedRender.reset();
        m_installedEffects.reset();
        GetGameSettings() = m_previousSettings;
        CarTest::TearDown();
    }

    static std::vector<std::string>& Shots()
    {
        static std::vector<std::string> shots;
        return shots;
    }
    static int& TrafficReleases()
    {
        static int count = 0;
        return count;
    }

    // The human player's own car, held by the level as its player.
    void MakeLevelPlayer()
    {
        m_player->humanPlayer = true;
        m_player->side |= CPPlayer::kOwnCar;
        level->SetPlayer(CPObjectPtr(m_player));
        m_levelOwnsPlayer = true;
    }

    static void Place(CPGameObject& object, const Vector3& position)
    {
        object.SetPosition(position);
        object.SetDirty(true);
        object.UpdateBounds();
    }

    // A bonus object of the name, with a child of the given name when one
    // is given, a box of the half extents, at the position, in the bonus
    // list.
    CPGameObject& AddBonus(const std::string& name, const std::string& child, const Vector3& position,
                           const Vector3& half = {1.0f, 1.0f, 1.0f})
    {
        auto* bonus = new CPGameObject(name);
        bonus->SetBoundingBox(CPBoundingBox({}, half));
        if (!child.empty()) {
            auto* part = new CPGameObject(child);
            part->SetBoundingBox(CPBoundingBox({}, half));
            bonus->AddChild(CPObjectPtr(part));
        }
        Place(*bonus, position);
        m_bonuses.push_back(bonus);
        m_gameData.bonuses.push_back(CPObjectPtr(bonus));
        return *bonus;
    }

    // Gives the level a path spline through the points, each leg a straight,
    // evenly paced segment, as the level file stores it.
    CPSpline& LoadPath(const std::vector<Vector3>& points)
    {
        std::string data;
        auto append = [&](const void* p, std::size_t n) { data.append(static_cast<const char*>(p), n); };
        auto integer = [&](std::int32_t v) { append(&v, 4); };
        auto point = [&](const Vector3& p) {
            for (float v : {p.x, p.y, p.z})
                append(&v, 4);
        };
        const std::string name = "c_path";
        integer(static_cast<std::int32_t>(name.size()));
        append(name.data(), name.size());
        integer(0); // open
        integer(static_cast<std::int32_t>(points.size() - 1));
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const Vector3 a = points[i];
            const Vector3 d = points[i + 1] - a;
            point(a);
            point(points[i + 1]);
            point(a + d * (1.0f / 3.0f));
            point(a + d * (2.0f / 3.0f));
        }
        m_folder.Write("spline.bin", data);
        CPFileReader reader("spline.bin", false);
        EXPECT_EQ(reader.Load(), S_OK);
        auto* spline = new CPSpline();
        EXPECT_TRUE(spline->Load(reader));
        level->SetSplines(CPObjectPtr(spline), CPObjectPtr(), CPObjectPtr());
        return *spline;
    }

    // Every command the script object received, oldest first, as
    // "name(param|param)".
    static std::vector<std::string> Commands(CPScriptObject& script)
    {
        std::vector<std::string> seen;
        while (script.SetNextCommand()) {
            std::string entry = script.GetCurrentCommandName() + "(";
            const std::vector<std::string>* params = script.GetCurrentParams();
            for (std::size_t i = 0; params && i < params->size(); ++i)
                entry += (i ? "|" : "") + (*params)[i];
            seen.push_back(entry + ")");
        }
        return seen;
    }

    // A frame of the frame loop, then the car's state update.
    void Frame(float dt)
    {
        NextFrame(dt);
        GetGameClock().gameTime += dt;
        m_player->UpdateState(dt);
    }

    CPCar& Car() const { return *m_player->GetCar(); }
    CPGameObject& Flare(const char* name) { return *m_player->GetChildByName(name).As<CPGameObject>(); }

    CPPlayer* m_player = nullptr;
    LevelSlotScope levelSlot;
    std::unique_ptr<CPLevel> level;
    CPScriptObject m_interface;
    CPScriptObject m_main;
    CPScriptObject m_gameMenu;
    std::map<std::string, RecordingEffectPrototype*> effects;
    CPEffectManager m_effects;
    platform::HeadlessGraphicsDevice m_graphics;
    CPRender m_render{&m_graphics};

  private:
    std::vector<CPGameObject*> m_bonuses;
    bool m_levelOwnsPlayer = false;
    std::optional<ServiceOverride<GetEffectManager, SetEffectManager>> m_installedEffects;
    GameSettings m_previousSettings;
    std::optional<ServiceOverride<GetRender, SetRender>> m_installedRender;
};
