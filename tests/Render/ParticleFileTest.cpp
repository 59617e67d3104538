// The particle file: prototypes and emitters handed to the effect manager,
// nothing at all from a file with a fault; and the particles' own life.
#include "Render/ParticleFile.h"

#include <gtest/gtest.h>

#include "Render/EffectManager.h"
#include "Render/InstanceDesc.h"
#include "Render/ParticleEffect.h"
#include "platform/Random.h"
#include "support/ScratchFolder.h"

namespace {

const char kGood[] = "// a comment\n"
                     "[iskra]\n"
                     "kind = particles\n"
                     "effectfile = particle.fx\n"
                     "texturefile1 = spark.tga\n"
                     "life = 0.5\n"
                     "size = 0.25\n"
                     "gravity = 10\n"
                     "count = 3\n"
                     "[sparks]\n"
                     "kind = emitter\n"
                     "effect = iskra\n"
                     "direction = 0,0,2\n"
                     "speed = 6\n"
                     "cone = 60\n"
                     "spread = 0.1,0.2,0.3\n"
                     "vector_c = 1,2,3\n"
                     "flag = 7\n";

class ParticleFileTest : public ::testing::Test {
  protected:
    void SetUp() override { folder.UseAsDataRoot(); }

    bool Load(const std::string& text)
    {
        folder.Write("Data/Effects/particles.txt", text);
        return CPParticleFile::Load(CPParticleFile::kDefaultFile, manager);
    }

    ScratchFolder folder;
    LogCapture log;
    CPEffectManager manager;
};

TEST_F(ParticleFileTest, PrototypesAndEmittersReachTheManager)
{
    ASSERT_TRUE(Load(kGood)) << log.Text();
    EXPECT_EQ(log.Text(), "");

    auto* iskra = dynamic_cast<CPParticleEffect*>(manager.FindPrototype("iskra"));
    ASSERT_NE(iskra, nullptr);
    EXPECT_FLOAT_EQ(iskra->GetSettings().life, 0.5f);
    EXPECT_FLOAT_EQ(iskra->GetSettings().size, 0.25f);
    EXPECT_FLOAT_EQ(iskra->GetSettings().grow, 0.0f); // left out
    EXPECT_FLOAT_EQ(iskra->GetSettings().gravity, 10.0f);
    EXPECT_EQ(iskra->GetSettings().count, 3);

    const CPEmitterDesc* sparks = manager.FindEmitter("sparks");
    ASSERT_NE(sparks, nullptr);
    EXPECT_EQ(sparks->effectName, "iskra");
    EXPECT_FLOAT_EQ(sparks->direction.z, 2.0f);
    EXPECT_FLOAT_EQ(sparks->speed, 6.0f);
    EXPECT_EQ(sparks->coneAngle, 60);
    EXPECT_FLOAT_EQ(sparks->spread.y, 0.2f);
    EXPECT_FLOAT_EQ(sparks->vectorC.z, 3.0f);
    EXPECT_EQ(sparks->flag, 7);
    EXPECT_FLOAT_EQ(sparks->paramA, 0.0f); // left out
}

TEST_F(ParticleFileTest, AFaultAnywhereRegistersNothingAndSaysWhy)
{
    const std::string good = kGood;
    const auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"", "cannot be read"},
        {"// only a comment\n", "holds no section"},
        {"life = 1\n" + good, "before the first section"},
        {replace("kind = emitter", "kind = fireworks"), "names no kind"},
        {replace("kind = emitter\n", ""), "comes before the section's kind"},
        {replace("flag = 7", "colour = 7"), "unknown key"},
        {replace("flag = 7", "flag 7"), "no key = value line"},
        {replace("life = 0.5", "life = 0"), "out of range"},
        {replace("life = 0.5", "life = 1e9"), "out of range"},
        {replace("life = 0.5", "life = half"), "out of range"},
        {replace("count = 3", "count = 0"), "out of range"},
        {replace("count = 3", "count = 257"), "out of range"},
        {replace("cone = 60", "cone = 1"), "out of range"},
        {replace("direction = 0,0,2", "direction = 0,0,0"), "out of range"},
        {replace("spread = 0.1,0.2,0.3", "spread = 0.1,0.2"), "out of range"},
        {replace("flag = 7", "flag = 256"), "out of range"},
        {replace("size = 0.25\n", ""), "lacks"},
        {replace("effect = iskra\n", ""), "lacks"},
        {good + "[empty]\n", "has no kind"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CPEffectManager fresh;
        if (c.text.empty())
            folder.Write("Data/Effects/particles.txt", "");
        else
            folder.Write("Data/Effects/particles.txt", c.text);
        LogCapture caseLog;
        EXPECT_FALSE(CPParticleFile::Load(CPParticleFile::kDefaultFile, fresh));
        EXPECT_EQ(fresh.FindPrototype("iskra"), nullptr);
        EXPECT_EQ(fresh.FindEmitter("sparks"), nullptr);
        EXPECT_TRUE(caseLog.Contains("Particle file \"Data\\Effects\\particles.txt\" cannot be used"))
            << caseLog.Text();
        EXPECT_TRUE(caseLog.Contains(c.why)) << caseLog.Text();
    }
    EXPECT_FALSE(CPParticleFile::Load("Data\\Effects\\missing.txt", manager));
}

TEST(ParticleEffect, ParticlesMoveFallFadeAndLeave)
{
    CPParticleSettings settings;
    settings.life = 0.5f;
    settings.gravity = 10.0f;
    settings.count = 3;
    CPParticleEffect effect(settings, CPObjectPtr());
    CPInstanceDesc request;
    request.position = Vector3{1.0f, 2.0f, 3.0f};
    request.velocity = Vector3{0.0f, 0.0f, 20.0f};
    platform::SeedRand(5);
    effect.SpawnInstance(request);
    ASSERT_EQ(effect.GetLiveCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const CPParticleEffect::Particle& p = effect.GetParticle(i);
        EXPECT_EQ(p.position.x, 1.0f);
        EXPECT_NEAR(p.velocity.z, 20.0f, 1.0f); // scattered by at most 1
    }
    const CPParticleEffect::Particle before = effect.GetParticle(0);
    effect.Step(0.1f);
    const CPParticleEffect::Particle& after = effect.GetParticle(0);
    EXPECT_FLOAT_EQ(after.age, 0.1f);
    EXPECT_NEAR(after.velocity.z, before.velocity.z - 1.0f, 1e-5f);
    EXPECT_NEAR(after.position.z, 3.0f + after.velocity.z * 0.1f, 1e-5f);

    effect.Step(0.3f);
    EXPECT_EQ(effect.GetLiveCount(), 3);
    effect.Step(0.1f); // 0.5 s: their life is over
    EXPECT_EQ(effect.GetLiveCount(), 0);

    effect.SpawnInstance(request);
    effect.ClearInstances();
    EXPECT_EQ(effect.GetLiveCount(), 0);
}

TEST(ParticleEffect, AFullPoolReplacesItsOldestParticles)
{
    CPParticleSettings settings;
    settings.count = 200;
    CPParticleEffect effect(settings, CPObjectPtr());
    CPInstanceDesc request;
    request.position = Vector3{1.0f, 0.0f, 0.0f};
    effect.SpawnInstance(request);
    effect.Step(0.5f);
    request.position = Vector3{2.0f, 0.0f, 0.0f};
    effect.SpawnInstance(request);
    ASSERT_EQ(effect.GetLiveCount(), CPParticleEffect::kMaxParticles);
    // The first 144 of the older ones gave way to the newest.
    int newer = 0;
    for (int i = 0; i < effect.GetLiveCount(); ++i)
        newer += effect.GetParticle(i).age == 0.0f ? 1 : 0;
    EXPECT_EQ(newer, 200);
}

} // namespace
