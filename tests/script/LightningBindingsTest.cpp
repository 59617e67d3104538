#include <string>
#include <vector>

#include "Render/IVBlock.h"
#include "Render/Material.h"
#include "Render/PRender.h"
#include "Render/RenderList.h"
#include "Render/RenderObject.h"
#include "RaceScriptFixture.h"
#include "core/BoundingBox.h"
#include "game/LightningShot.h"
#include "platform/HeadlessGraphicsDevice.h"

namespace {

// The strike's frames are drawn into a scene list of a renderer; the
// strike gets a bare material so that it makes a batch. Frames of 0.1 s at
// the strike's speed of 10 grow it one unit a frame.
class LightningScriptTest : public RaceScriptTest {
  protected:
    void SetUp() override
    {
        RaceScriptTest::SetUp();
        render.SetSceneObject(CPObjectPtr(&list));
        Kind("sparks");
    }
    void TearDown() override
    {
        list.ClearFrame();
        host.reset(); // the strikes go with the script state
        render.SetSceneObject(CPObjectPtr());
        RaceScriptTest::TearDown();
    }

    CPLightningShot* Strike(const std::string& call)
    {
        Do("strike = " + call);
        auto* strike = static_cast<CPLightningShot*>(GlobalPointer("strike"));
        if (strike)
            strike->GetOwnRenderObject()->SetMaterial(CPObjectPtr(&material));
        return strike;
    }
    // Advances the strike once; its answer, and whether it was drawn.
    std::pair<int, bool> Advance()
    {
        list.ClearFrame();
        EXPECT_TRUE(Run("answer = UpdateTrasser(strike)")) << log.Text();
        return {static_cast<int>(GlobalNumber("answer")), !list.GetFrameBatches().empty()};
    }

    platform::HeadlessGraphicsDevice& device = engine.device;
    CPRender& render = engine.services->Render();
    // The list's batches hold the material: it goes after them.
    CPMaterial material{0, nullptr, nullptr};
    CPRenderList list{&render};
};

TEST_F(LightningScriptTest, StartLightingSetsUpAStrikeTheScriptsAdvance)
{
    CPLightningShot* strike = Strike("StartLighting('bolt', 0, 0, 1, 1, 0, 0)");
    ASSERT_NE(strike, nullptr);
    EXPECT_EQ(strike->GetName(), "bolt");
    EXPECT_FALSE(strike->IsTargetEnemy()); // its target kind is "enemy"
    EXPECT_FLOAT_EQ(strike->GetSpeed(), 10.0f);
    EXPECT_FLOAT_EQ(strike->GetWidth(), 1.5f);
    EXPECT_FLOAT_EQ(strike->GetPower(), 10.0f);
    EXPECT_EQ(strike->GetHitKind(), "sparks");
    EXPECT_EQ(strike->GetTextureName(), "razlom.dds");
    EXPECT_EQ(strike->GetEffectName(), "light_nofog.fx");
    EXPECT_EQ(strike->GetMaterialOption(), 103);
    EXPECT_EQ(strike->GetSoundSetting(), "morvath.wav,3d");
    EXPECT_FLOAT_EQ(strike->GetOrigin().z, 1.0f);
    EXPECT_FALSE(log.Contains("parameters of")) << log.Text();
    // Neither the kernel nor the shot manager takes it.
    EXPECT_EQ(shots.GetActiveCount(), 0u);
    EXPECT_TRUE(kernel.GetTasks().empty());

    // Twenty units of growth, each frame drawn, then it has gone its length.
    for (int frame = 1; frame <= 20; ++frame) {
        EXPECT_EQ(Advance(), std::make_pair(1, true)) << frame;
        EXPECT_NEAR(strike->GetHead().x, static_cast<float>(frame), 1e-4f);
    }
    EXPECT_EQ(Advance(), std::make_pair(-1, false));
    EXPECT_EQ(shots.GetActiveCount(), 0u);
}

TEST_F(LightningScriptTest, AStrikeThatHitsACarSparksThereAndIsNotDrawn)
{
    CPPlayer* car = AddOpponent("bmw", CPPlayer::kDarkSide, {4.2f, 0, 1});
    car->SetBoundingBox(CPBoundingBox({0, 0, 0}, {0.5f, 0.5f, 0.5f}));
    car->GetPartBoxes().push_back(CPBoundingBox({0, 0, 0}, {0.5f, 0.5f, 0.5f}));
    car->UpdateBounds();
    Strike("StartLighting('bolt', 0, 0, 1, 1, 0, 0)");

    for (int frame = 1; frame <= 3; ++frame)
        EXPECT_EQ(Advance(), std::make_pair(1, true)) << frame;
    EXPECT_EQ(Advance(), std::make_pair(0, false)); // its face at 3.7 is met from 3 to 4
    ASSERT_EQ(ActiveKinds(), std::vector<std::string>{"sparks"});
    EXPECT_NEAR(shots.GetActiveShots()[0]->GetStartPosition().x, 3.7f, 1e-4f);
}

TEST_F(LightningScriptTest, BadStrikesAndBadPointsAreRefused)
{
    Do("answer = UpdateTrasser(nil)");
    EXPECT_DOUBLE_EQ(GlobalNumber("answer"), -1.0);
    SetGlobal("car", player); // an object that is no strike
    Do("answer = UpdateTrasser(car); other = UpdateTrasser('strike')");
    EXPECT_DOUBLE_EQ(GlobalNumber("answer"), -1.0);
    EXPECT_DOUBLE_EQ(GlobalNumber("other"), -1.0);

    EXPECT_EQ(Strike("StartLighting('bolt', 0/0, 0, 0, 1, 0, 0)"), nullptr);
    EXPECT_EQ(Strike("StartLighting('bolt', 0, 0, 0, 1, math.huge, 0)"), nullptr);
    EXPECT_TRUE(log.Contains("StartLighting: a point is not a number"));
    // Nothing given: a strike at the origin with no direction stays put.
    CPLightningShot* still = Strike("StartLighting()");
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(Advance().first, 1);
    EXPECT_FLOAT_EQ(still->GetHead().x, 0.0f);
}

} // namespace
