#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/EffectManager.h"
#include "core/GameClock.h"
#include "core/GameObject.h"
#include "core/GameSettings.h"
#include "core/ObjectRegistry.h"
#include "core/ScriptObject.h"
#include "core/Singletons.h"
#include "core/Enemy.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Shot.h"
#include "game/ShotManager.h"
#include "platform/Random.h"
#include "support/EffectFakes.h"
#include "support/ScratchFolder.h"
#include "support/TestEngine.h"
#include "LevelTestObjects.h"
#include "support/CommandDrain.h"

// Records the damage that reaches a scene object through its enemy slot.
class DamageRecorder : public CPEnemy {
  public:
    struct Hit {
        Vector3 source;
        Vector3 position;
        float damage = 0.0f;
    };
    void PlayAttackAnimation() override {}
    void Strike() override {}
    void TakeDamage(const Vector3& source, const Vector3& position, float damage, bool, bool) override
    {
        hits.push_back({source, position, damage});
    }
    std::vector<Hit> hits;
};

// A race with no track: a level whose static scene is one spatial index
// the test fills, a shot manager, an effect manager with recording
// prototypes, game data, and a registry with running scripts "gamemenu"
// (object) and "levelscript" (category "level"). The frame time is 0.1 s
// and the random sequence starts from seed 1.
class CombatTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetGameSettings().quadTree = 0;
        GetGameClock() = GameClock();
        SetFrameTime(0.1f);
        platform::SeedRand(1);

        menu.Begin();
        registry.Register("gamemenu", "", &menu);
        levelScript.Begin();
        registry.Register("levelscript", "level", &levelScript);

        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        level->levelWidth = level->levelDepth = CPLevel::kLevelSize;
        level->queries.AllocateGrid();
        index = new FakeLevelIndex;
        level->SetBranchRoot(CPObjectPtr(index));
    }

    void TearDown() override
    {
        level.reset();
        GetGameClock() = GameClock();
    }

    // A pickable cube owned by the level.
    CPGameObject* Cube(const std::string& name, const Vector3& position, float h = 1.0f)
    {
        auto* object = new CPGameObject(name);
        PlaceCube(*object, position, h);
        level->AddOwnedObject(CPObjectPtr(object));
        return object;
    }

    // The effect prototype of the name, made on first use.
    RecordingEffectPrototype& Effect(const std::string& name)
    {
        if (auto* found = dynamic_cast<RecordingEffectPrototype*>(effects.FindPrototype(name)))
            return *found;
        auto* prototype = new RecordingEffectPrototype;
        effects.RegisterPrototype(name, prototype);
        return *prototype;
    }

    // A shot kind that stays where it starts for the seconds given.
    void StayingKind(const std::string& name, float lifetime = 100.0f)
    {
        ASSERT_TRUE(shots.CreateKind(name, "effect", {"none", std::to_string(lifetime), "none"}));
    }

    // Kind names of the active shots in launch order.
    std::vector<std::string> ActiveKinds() const
    {
        std::vector<std::string> kinds;
        for (const CPShot* shot : shots.GetActiveShots())
            kinds.push_back(shot->GetKindName());
        return kinds;
    }

    // "name(p1|p2)" of every command queued on the script, oldest first.
    static std::vector<std::string> Drain(CPScriptObject& script) { return DrainCommands(script); }

    LogCapture log;
    TestEngine engine;
    CPObjectRegistry& registry = engine.services->Registry();
    CPScriptObject menu;
    CPScriptObject levelScript;
    CPGameData& gameData = engine.services->GameData();
    CPEffectManager& effects = engine.services->EffectManager();
    CPShotManager& shots = engine.services->Shots();
    std::unique_ptr<CPLevel> level;
    FakeLevelIndex* index = nullptr;
};
