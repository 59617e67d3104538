#include "Render/EffectLibrary.h"
#include "Render/PEffect.h"

#include <gtest/gtest.h>

#include "RenderTestFiles.h"
#include "platform/Effect.h"

using renderfiles::RenderWorld;

namespace {

constexpr const char* kSource = "Render\\PEffect";

const char* const kCar = R"fx(
shared float4x4 g_mViewInv : VIEWINVERSE;
shared float4 g_vLight;
shared float4 g_vAmbient = {0.2, 0.2, 0.2, 1};
float time : TIME;
texture tex0;
texture tex1;
texture tex3;
technique First { pass P0 { ZWriteEnable = true; } }
technique Second { pass P0 { } pass P1 { } }
)fx";

const char* const kOther = R"fx(
shared float4 g_vLight;
shared float4x4 g_mViewProjection;
texture tex0;
technique Other { pass P0 { } }
)fx";

const char* const kSimple = "texture tex0;\ntechnique Simple { pass P0 { } }\n";
const char* const kError = "technique Error { pass P0 { } }\n";
const char* const kBroken = "float time;\ntechnique Broken { pass P0 { ZWriteEnable = true; }\n";
const char* const kOpenString = "string title = \"no end;\ntechnique T { pass P0 { } }\n";

void WriteEffects(RenderWorld& world)
{
    world.WriteEffect("car.fx", kCar);
    world.WriteEffect("other.fx", kOther);
    world.WriteEffect("simple.fx", kSimple);
    world.WriteEffect("error.fx", kError);
    world.WriteEffect("broken.fx", kBroken);
}

std::string TechniqueOf(const CPEffect* effect)
{
    if (!effect || !effect->GetEffect() || !effect->GetEffect()->CurrentTechnique())
        return "";
    return effect->GetEffect()->CurrentTechnique()->name;
}

} // namespace

TEST(EffectLibrary, ParametersAndTechniqueResolveByName)
{
    RenderWorld world;
    WriteEffects(world);
    CPEffectLibrary library;
    CPEffect* car = library.GetEffect("car.fx");
    ASSERT_NE(car->GetEffect(), nullptr);
    EXPECT_EQ(car->GetTypeName(), "CPEffect - car.fx");
    EXPECT_EQ(TechniqueOf(car), "First");
    ASSERT_NE(car->GetTimeHandle(), nullptr);
    EXPECT_EQ(car->GetTimeHandle()->semantic, "TIME");
    // tex0 and tex1; the list stops at the missing tex2, so tex3 is not taken.
    ASSERT_EQ(car->GetTextureHandles().size(), 2u);
    EXPECT_EQ(car->GetTextureHandles()[0]->name, "tex0");
    EXPECT_EQ(car->GetTextureHandles()[1]->name, "tex1");

    CPEffect* other = library.GetEffect("other.fx");
    EXPECT_EQ(other->GetTimeHandle(), nullptr);
    EXPECT_EQ(other->GetTextureHandles().size(), 1u);
    EXPECT_EQ(library.GetEffect("car.fx"), car);
    EXPECT_EQ(library.GetEffectCount(), 2u);
}

TEST(EffectLibrary, SharedOptionJoinsThePoolAndTheFirstSharedEffectGivesTheHandles)
{
    RenderWorld world;
    WriteEffects(world);
    CPEffectLibrary library;
    CPEffect* pooled = library.GetEffect("car.fx,shared");
    CPEffect* alone = library.GetEffect("car.fx");
    CPEffect* second = library.GetEffect("other.fx,shared");
    EXPECT_NE(pooled, alone);
    EXPECT_EQ(library.GetEffectCount(), 3u);
    EXPECT_EQ(pooled->GetName(), "car.fx,shared");

    EXPECT_EQ(library.GetSharedEffect(), pooled);
    platform::EffectParameter* light = library.GetSharedHandle(CPEffectLibrary::kLight);
    ASSERT_NE(light, nullptr);
    // One handle serves every effect of the pool, and no effect outside it.
    EXPECT_EQ(second->GetEffect()->ParameterByName("g_vLight"), light);
    EXPECT_NE(alone->GetEffect()->ParameterByName("g_vLight"), light);
    EXPECT_EQ(library.GetPool().Find("g_vLight"), light);

    // The handles come from the first shared effect only: it lacks the
    // view-projection that the second one declares.
    EXPECT_NE(library.GetSharedHandle(CPEffectLibrary::kViewInverse), nullptr);
    EXPECT_NE(library.GetSharedHandle(CPEffectLibrary::kAmbient), nullptr);
    EXPECT_EQ(library.GetSharedHandle(CPEffectLibrary::kViewProjection), nullptr);
    EXPECT_EQ(library.GetSharedHandle(CPEffectLibrary::kCameraPos), nullptr);
}

TEST(EffectLibrary, MissingAndBrokenEffectsAreReplacedAndReported)
{
    struct Case {
        const char* request;
        bool writeSimple;
        bool writeError;
        const char* technique; // of the effect that stands under the request; "" for none
        int line69;
        int line89;
    };
    const Case cases[] = {
        {"missing.fx", true, true, "Simple", 0, 0}, {"broken.fx", true, true, "Error", 1, 0},
        {"missing.fx", false, true, "Error", 0, 0}, {"missing.fx", false, false, "", 0, 0},
        {"broken.fx", true, false, "Simple", 1, 0}, // error.fx missing: simple.fx stands in for it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.request) + (c.writeSimple ? " with simple.fx" : "") +
                     (c.writeError ? " with error.fx" : ""));
        RenderWorld world;
        world.WriteEffect("broken.fx", kBroken);
        world.WriteEffect("string.fx", kOpenString);
        if (c.writeSimple)
            world.WriteEffect("simple.fx", kSimple);
        if (c.writeError)
            world.WriteEffect("error.fx", kError);
        CPEffectLibrary library;
        CPEffect* effect = library.GetEffect(c.request);
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(TechniqueOf(effect), c.technique);
        EXPECT_EQ(effect->GetEffect() != nullptr, *c.technique != '\0');
        EXPECT_EQ(world.CountReports(kSource, 69), c.line69);
        EXPECT_EQ(world.CountReports(kSource, 89), c.line89);
        EXPECT_TRUE(world.log.Contains(std::string("\"") + c.request + "\""));

        const std::string logBefore = world.log.Text();
        EXPECT_EQ(library.GetEffect(c.request), effect);
        EXPECT_EQ(world.log.Text(), logBefore);
    }
}

TEST(EffectLibrary, BrokenSimpleEffectIsReportedOnItsOwnLine)
{
    RenderWorld world;
    world.WriteEffect("simple.fx", kBroken);
    world.WriteEffect("error.fx", kError);
    CPEffectLibrary library;
    EXPECT_EQ(TechniqueOf(library.GetEffect("missing.fx")), "Error");
    EXPECT_EQ(world.CountReports(kSource, 89), 1);
    EXPECT_EQ(world.CountReports(kSource, 69), 0);
}

TEST(EffectLibrary, ASharedEffectReplacedBySimpleStaysOutOfThePool)
{
    RenderWorld world;
    WriteEffects(world);
    CPEffectLibrary library;
    CPEffect* stand = library.GetEffect("missing.fx,shared");
    EXPECT_EQ(TechniqueOf(stand), "Simple");
    EXPECT_EQ(library.GetSharedEffect(), nullptr);
    CPEffect* car = library.GetEffect("car.fx,shared");
    EXPECT_EQ(library.GetSharedEffect(), car);
}

TEST(EffectLibrary, EffectsHearOfDeviceLossAndGoWithTheLibrary)
{
    RenderWorld world;
    WriteEffects(world);
    CPEffect* car = nullptr;
    const std::size_t listeners = GetDeviceListeners().size();
    {
        CPEffectLibrary library;
        car = library.GetEffect("car.fx");
        CPEffect* none = nullptr;
        {
            // An effect without anything loaded takes the news too.
            CPEffect empty;
            none = &empty;
            NotifyDeviceLost();
            NotifyDeviceReset();
            EXPECT_EQ(none->GetEffect(), nullptr);
        }
        EXPECT_EQ(car->GetEffect()->LostCount(), 1);
        EXPECT_EQ(car->GetEffect()->ResetCount(), 1);
        EXPECT_EQ(GetDeviceListeners().size(), listeners + 1);
    }
    EXPECT_EQ(GetDeviceListeners().size(), listeners);
}

TEST(EffectLibrary, AnEffectThatGoesRemovesOnlyItsOwnEntry)
{
    RenderWorld world;
    WriteEffects(world);
    CPEffectLibrary library;
    CPEffect* pooled = library.GetEffect("car.fx,shared");
    {
        CPEffect stray;
        ASSERT_TRUE(stray.Load("car.fx,shared"));
    }
    EXPECT_EQ(library.FindEffect("car.fx,shared"), pooled);
    EXPECT_EQ(library.GetSharedEffect(), pooled);
    delete pooled;
    EXPECT_EQ(library.FindEffect("car.fx,shared"), nullptr);
    EXPECT_EQ(library.GetSharedEffect(), nullptr);
    EXPECT_EQ(library.GetSharedHandle(CPEffectLibrary::kLight), nullptr);
}
