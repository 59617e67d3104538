// What loading the sample level gives the race in the game host: every car's
// ground shadow, drawn in the frame, and the level's sun light whatever
// became of the sky.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "Render/RenderObject.h"
#include "app/GameHost.h"
#include "core/GameObject.h"
#include "game/Level.h"
#include "game/Player.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/RaceCars.h"
#include "support/ScratchFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(RS_SOURCE_DIR) + "/data/sample";

std::unique_ptr<GameHost> MakeHost(const std::string& dataRoot)
{
    GameHost::Options options;
    options.frames = 1;
    options.dataRoot = dataRoot;
    return std::make_unique<GameHost>(options);
}

std::size_t FrameDraws(GameHost& host)
{
    host.Run();
    return host.GetHeadlessDevice()->GetLastFrameDraws().size();
}

// Whether the frame was lit by the light (among the others of the frame).
bool IsLit(const platform::HeadlessGraphicsDevice& device, const platform::Light& wanted)
{
    for (std::uint32_t i = 0; i < 8; ++i) {
        platform::Light light;
        if (!device.IsLightEnabled(i) || device.GetLight(i, &light) != S_OK)
            continue;
        if (light.type == wanted.type && light.direction.x == wanted.direction.x &&
            light.direction.y == wanted.direction.y && light.direction.z == wanted.direction.z &&
            light.diffuse.r == wanted.diffuse.r)
            return true;
    }
    return false;
}

} // namespace

TEST(SampleLevelLoading, EveryCarLaysItsShadowOnTheRoadAndTheFrameDrawsIt)
{
    std::unique_ptr<GameHost> host = MakeHost(kSample);
    ASSERT_TRUE(host->StartLevel("level1"));
    CPLevel* level = host->GetLevel();
    const std::vector<CPPlayer*> cars = RaceCars(*level);
    ASSERT_EQ(cars.size(), 8u);
    for (CPPlayer* car : cars)
        ASSERT_TRUE(car->shadow.As<CPGameObject>()) << car->modelName;

    // The cars settle on the road, and the player's shadow is laid on it,
    // under the car.
    for (int frame = 0; frame < 30; ++frame)
        host->Run();
    CPPlayer* player = cars.front();
    auto* decal = player->shadow.As<CPGameObject>()->GetRenderObject().As<CPRenderObject>();
    ASSERT_NE(decal, nullptr);
    ASSERT_FALSE(decal->GetIndices().empty());
    // The decal is made of the road's own triangles under the car's
    // footprint, lifted a little off the road.
    float nearest = 1e9f;
    for (const CPMeshVertex& vertex : decal->GetWorldVertices()) {
        nearest = std::min(nearest, std::hypot(vertex.position.x - player->GetPosition().x,
                                               vertex.position.y - player->GetPosition().y));
        EXPECT_LT(std::fabs(vertex.position.z - player->GetPosition().z), 3.0f);
    }
    EXPECT_LT(nearest, 25.0f);

    // The shadows laid are drawn in the frame (in batches of their
    // material): hidden, they are gone.
    const std::size_t withShadows = FrameDraws(*host);
    std::size_t laid = 0;
    for (CPPlayer* car : cars) {
        auto* shadow = car->shadow.As<CPGameObject>();
        auto* mesh = shadow->GetRenderObject().As<CPRenderObject>();
        laid += mesh && !mesh->GetIndices().empty() ? 1 : 0;
        shadow->SetVisible(false);
    }
    ASSERT_GE(laid, 1u);
    EXPECT_LT(FrameDraws(*host), withShadows);
}

// The sample's sky lights the level as it draws; a sky file that is missing
// or that the sky refuses leaves the lighting to the level's own sun light,
// straight down and nearly white.
TEST(SampleLevelLoading, TheLevelKeepsItsSunLightWhenItsSkyDoesNotLoad)
{
    const struct Case {
        const char* what;
        bool remove;
        const char* text; // written over the sky file unless removed
    } cases[] = {
        {"the sample's sky", false, nullptr},
        {"a missing sky file", true, nullptr},
        {"a refused sky file", false, "time_scale x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder data;
        fs::copy(kSample, data.GetPath(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        const std::string sky = "Data/Clouds/skyscape1.txt";
        if (c.remove)
            fs::remove(data.Path(sky));
        else if (c.text)
            data.Write(sky, c.text);

        std::unique_ptr<GameHost> host = MakeHost(data.GetPath());
        ASSERT_TRUE(host->StartLevel("level1"));
        host->Run();
        const platform::Light& sun = host->GetLevel()->GetSunLight();
        EXPECT_TRUE(IsLit(*host->GetHeadlessDevice(), sun));
        if (!c.remove && !c.text)
            continue; // the sky turned the sun its own way
        EXPECT_FLOAT_EQ(sun.direction.z, -1.0f);
        EXPECT_FLOAT_EQ(sun.diffuse.r, 0.99609375f);
    }
}
