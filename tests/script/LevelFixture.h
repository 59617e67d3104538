#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "core/FileReader.h"
#include "core/PackFile.h"
#include "game/Camera.h"
#include "game/Car.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "game/Spline.h"

// A script state over a current level with a game camera, a player car at
// the origin, game data and a scratch data folder. Opponents and a path
// spline are added by the tests that need them; the level deletes them.
class LevelScriptTest : public ScriptTest {
  protected:
    LevelScriptTest()
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
        level = std::make_unique<CPLevel>();
        MakeCurrentLevel(level.get());
        camera = new CPCamera();
        level->SetCamera(CPObjectPtr(camera));
        player = new CPPlayer();
        player->side = CPPlayer::kOwnCar;
        level->SetPlayer(CPObjectPtr(player));
        level->cameraTarget = player;
    }
    ~LevelScriptTest() override
    {
        engine.EndFrame();
        level.reset();
    }

    CPPlayer* AddOpponent(const std::string& model, std::int32_t side, const Vector3& position,
                          float damage = 0.0f)
    {
        auto* car = new CPPlayer();
        car->modelName = model;
        car->side = side;
        car->damage = damage;
        car->SetPosition(position);
        level->AddOpponent(CPObjectPtr(car));
        return car;
    }

    // Gives the car its driving model, which the car then deletes.
    static CPCar* GiveCar(CPPlayer* car)
    {
        auto* model = new CPCar(car);
        car->SetPhysicsObject(CPObjectPtr(model));
        return model;
    }

    // A closed path spline through the corners, one straight segment per
    // side, loaded the way the level file stores it.
    CPSpline* AddPathSpline(const std::vector<Vector3>& corners)
    {
        std::string bytes;
        auto put = [&bytes](const void* p, std::size_t n) { bytes.append(static_cast<const char*>(p), n); };
        auto putInt = [&put](std::int32_t v) { put(&v, 4); };
        auto putPoint = [&put](const Vector3& p) { put(&p.x, 4), put(&p.y, 4), put(&p.z, 4); };
        const std::string name = "c_path";
        putInt(static_cast<std::int32_t>(name.size()));
        put(name.data(), name.size());
        putInt(1);
        putInt(static_cast<std::int32_t>(corners.size()));
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const Vector3 a = corners[i];
            const Vector3 b = corners[(i + 1) % corners.size()];
            const Vector3 d{b.x - a.x, b.y - a.y, b.z - a.z};
            putPoint(a);
            putPoint(b);
            putPoint(Vector3{a.x + d.x / 3, a.y + d.y / 3, a.z + d.z / 3});
            putPoint(Vector3{a.x + 2 * d.x / 3, a.y + 2 * d.y / 3, a.z + 2 * d.z / 3});
        }
        folder.Write("spline.bin", bytes);
        CPFileReader reader("spline.bin", false);
        EXPECT_EQ(reader.Load(), S_OK);
        auto* spline = new CPSpline();
        EXPECT_TRUE(spline->Load(reader));
        level->SetSplines(CPObjectPtr(spline), CPObjectPtr(), CPObjectPtr());
        return spline;
    }

    // Runs a chunk that must succeed.
    void Do(const std::string& code) { ASSERT_TRUE(Run(code)) << code << "\n" << log.Text(); }

    ScratchFolder folder;
    CPGameData& data = engine.services->GameData();
    std::unique_ptr<CPLevel> level;
    CPCamera* camera = nullptr;
    CPPlayer* player = nullptr;
};
