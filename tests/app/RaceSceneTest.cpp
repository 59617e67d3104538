// The scene work of the sample race done the quick way and the
// plain way side by side, frame after frame: each quick way must give what
// the plain one gives, to the bit.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/DecalGround.h"
#include "Render/PRender.h"
#include "Render/TerrainMesh.h"
#include "core/GameObject.h"
#include "core/GameObjectParts.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "physics/PhysicData.h"
#include "game/Level.h"
#include "game/Spline.h"
#include "game/TrackPointIndex.h"
#include "game/Player.h"
#include "platform/Math.h"
#include "support/RaceCars.h"
#include "support/SampleHost.h"

namespace {

// The frames of the race looked at: the start, the first corners and the
// pack spreading out.
constexpr int kRaceFrames = 2400;

class RaceScene : public SampleHostTest {
  protected:
    // The race the benchmark runs: the main menu's Start pressed, the
    // autopilot driving the player's car.
    CPLevel* StartRace()
    {
        GameHost::Options options = FrameOptions();
        options.seed = 5;
        MakeHost(options);
        GetObjectRegistry()->SendCommandByName("gamemenu", "button", "start");
        if (!Frames(1))
            return nullptr;
        CPLevel* level = host->GetLevel();
        return level && level->GetPlayer() ? level : nullptr;
    }
};

struct Decal {
    std::vector<CPMeshVertex> vertices, world;
    std::vector<std::uint16_t> indices;
};

bool SameBits(const Decal& a, const Decal& b)
{
    return a.vertices.size() == b.vertices.size() && a.world.size() == b.world.size() &&
           a.indices == b.indices &&
           std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(CPMeshVertex)) == 0 &&
           std::memcmp(a.world.data(), b.world.data(), a.world.size() * sizeof(CPMeshVertex)) == 0;
}

} // namespace

// Every car's decal laid from the triangles its physics listed this frame,
// once by a ground that keeps what each decal laid last and once by one
// that forgets it before every lay.
TEST_F(RaceScene, AGroundDecalLaidFromWhatItLaidLastIsTheOneLaidAfresh)
{
    CPLevel* level = StartRace();
    ASSERT_NE(level, nullptr);
    const CPTerrainMesh* mesh = GetRender() ? GetRender()->GetTerrainMesh() : nullptr;
    ASSERT_NE(mesh, nullptr);
    CPDecalGround remembering, forgetting;
    remembering.Build(*mesh);
    forgetting.Build(*mesh);
    std::vector<Decal> decals(RaceCars(*level).size());
    Decal fresh;
    int laid = 0, changed = 0;
    std::vector<std::vector<std::int32_t>> last(decals.size());

    for (int frame = 0; frame < kRaceFrames && Frames(1); ++frame) {
        const std::vector<CPPlayer*> cars = RaceCars(*level);
        ASSERT_EQ(cars.size(), decals.size());
        for (std::size_t i = 0; i < cars.size(); ++i) {
            const CPPhysicData* data = cars[i]->GetPhysicData();
            ASSERT_NE(data, nullptr);
            const std::int32_t* listed = data->GetTerrainTriangles();
            const std::int32_t count = data->GetTerrainTriangleCount();
            // The car's own frame stands for its footprint.
            Matrix4 toFootprint;
            ASSERT_TRUE(Invert(MatrixFromQuaternion(cars[i]->GetRotation()) *
                                   TranslationMatrix(cars[i]->GetPosition().x, cars[i]->GetPosition().y,
                                                     cars[i]->GetPosition().z),
                               toFootprint));
            remembering.Lay(toFootprint, listed, count, decals[i].vertices, decals[i].world,
                            decals[i].indices);
            forgetting.Forget();
            forgetting.Lay(toFootprint, listed, count, fresh.vertices, fresh.world, fresh.indices);
            ASSERT_TRUE(SameBits(decals[i], fresh)) << "car " << i << " at frame " << frame;
            laid += fresh.vertices.empty() ? 0 : 1;
            std::vector<std::int32_t> now(listed, listed + count);
            changed += now != last[i] ? 1 : 0;
            last[i] = std::move(now);
        }
    }
    // The cars drove over ground that changed under them, and stood on the
    // same ground for frames on end.
    EXPECT_GT(laid, kRaceFrames * 4);
    EXPECT_GT(changed, 100);
    EXPECT_LT(changed, laid / 2);
}

// Where each car stands on the track: asked of the level as the race asks
// it, twice in a row, and read for the car as the race watch reads it (the
// point the lap count found this frame, while the car stands where it was
// asked about) is the point a look at every track point finds. A car moved
// after the lap count asked is searched for where it now stands.
TEST_F(RaceScene, ATrackPointReadForACarIsTheOneEveryPointGives)
{
    CPLevel* level = StartRace();
    ASSERT_NE(level, nullptr);
    ASSERT_FALSE(level->trackPoints.empty());
    int found = 0, read = 0;
    for (int frame = 0; frame < kRaceFrames && Frames(1); ++frame) {
        for (CPPlayer* car : RaceCars(*level)) {
            const Vector3 position = car->GetPosition();
            const std::int32_t scanned = CPTrackPointIndex::FindByScan(level->trackPoints, position);
            ASSERT_EQ(level->NearestTrackPointOf(*car), scanned) << "frame " << frame;
            ASSERT_EQ(level->FindNearestTrackPoint(position), scanned) << "frame " << frame;
            ASSERT_EQ(level->FindNearestTrackPoint(position), scanned) << "frame " << frame;
            found += scanned >= 0 ? 1 : 0;
            const CPRaceProgress::TrackFix& fix = level->race.playerFix;
            if (car == level->GetPlayer() && fix.taken &&
                std::memcmp(&fix.position, &position, sizeof position) == 0)
                ++read;
        }
        ASSERT_EQ(level->FindNearestTrackPoint(level->race.startPosition),
                  CPTrackPointIndex::FindByScan(level->trackPoints, level->race.startPosition));
        if (frame % 100 != 99)
            continue;
        // The player's car jumps along the track after the lap count asked.
        CPPlayer* moved = RaceCars(*level).front();
        const Vector3 before = moved->GetPosition();
        const CPLine* far =
            level->trackPoints[(static_cast<std::size_t>(frame) / 100 * 37) % level->trackPoints.size()];
        moved->SetPosition(far->start + Vector3{1.5f, -0.5f, 0.0f});
        const std::int32_t scanned = CPTrackPointIndex::FindByScan(level->trackPoints, moved->GetPosition());
        EXPECT_EQ(level->NearestTrackPointOf(*moved), scanned) << "frame " << frame;
        moved->SetPosition(before);
    }
    EXPECT_GT(found, kRaceFrames * 7);
    // The player's fix is read every frame once the race runs.
    EXPECT_GT(read, kRaceFrames / 2);
}
