#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Render/EffectManager.h"
#include "ScriptTestSupport.h"
#include "core/GameClock.h"
#include "core/GameSettings.h"
#include "core/ScriptObject.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Shot.h"
#include "game/ShotManager.h"
#include "platform/Random.h"

// A script state over a current level (3000 x 3000) with a game camera and
// the player's car at the origin, game data, a shot manager whose kinds the
// tests make, an effect manager, and running script objects "gamemenu" and
// "main" (the latter also of the category "main"). The frame time is 0.1 s
// and the random sequence starts from seed 1.
class RaceScriptTest : public ScriptTest {
  protected:
    void SetUp() override
    {
        folder.UseAsDataRoot();
        GetGameSettings() = GameSettings();
        GetGameClock() = GameClock();
        SetFrameTime(0.1f);
        platform::SeedRand(1);
        menu.Begin();
        registry.Register("gamemenu", "", &menu);
        mainScript.Begin();
        registry.Register("main", "main", &mainScript);

        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        level->levelWidth = level->levelDepth = CPLevel::kLevelSize;
        camera = new CPCamera();
        level->SetCamera(CPObjectPtr(camera));
        player = new CPPlayer();
        player->side = CPPlayer::kOwnCar | CPPlayer::kLightSide;
        level->SetPlayer(CPObjectPtr(player));
        level->cameraTarget = player;
    }
    void TearDown() override
    {
        shots.Clear();
        level.reset();
        GetGameSettings() = GameSettings();
        GetGameClock() = GameClock();
    }

    // A shot kind that stays where it starts.
    void Kind(const std::string& name)
    {
        ASSERT_TRUE(shots.CreateKind(name, "effect", {"none", "100", "none"})) << log.Text();
    }
    std::vector<std::string> ActiveKinds() const
    {
        std::vector<std::string> kinds;
        for (const CPShot* shot : shots.GetActiveShots())
            kinds.push_back(shot->GetKindName());
        return kinds;
    }
    // "name(p1|p2)" of every command queued on the script, oldest first.
    static std::vector<std::string> Drain(CPScriptObject& script)
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
    // An opponent car the level owns.
    CPPlayer* AddOpponent(const std::string& model, std::int32_t side, const Vector3& position)
    {
        auto* car = new CPPlayer();
        car->modelName = model;
        car->side = side;
        car->SetPosition(position);
        level->AddOpponent(CPObjectPtr(car));
        return car;
    }
    // Runs a chunk that must succeed.
    void Do(const std::string& code) { ASSERT_TRUE(Run(code)) << code << "\n" << log.Text(); }
    bool GlobalBool(const char* name)
    {
        lua_getglobal(L, name);
        EXPECT_EQ(lua_type(L, -1), LUA_TBOOLEAN) << name;
        const bool value = lua_toboolean(L, -1) != 0;
        lua_pop(L, 1);
        return value;
    }

    ScratchFolder folder;
    CPGameData& data = engine.services->GameData();
    CPShotManager& shots = engine.services->Shots();
    CPEffectManager& effects = engine.services->EffectManager();
    CPScriptObject menu;
    CPScriptObject mainScript;
    std::unique_ptr<CPLevel> level;
    CPCamera* camera = nullptr;
    CPPlayer* player = nullptr;
};
