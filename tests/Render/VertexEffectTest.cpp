#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/MathExpect.h"
#include "Render/AnimEffect.h"
#include "Render/EnvironmentEffect.h"
#include "Render/FadeEffect.h"
#include "Render/ColourByte.h"
#include "Render/FlickEffect.h"
#include "Render/MovingTexEffect.h"
#include "Render/VertexEffectChain.h"
#include "Render/VertexEffectFactory.h"
#include "core/GameClock.h"
#include "platform/Random.h"

namespace {

// Effects read the frame time and the shared generator: each test sets
// both and leaves the clock as it found it.
class VertexEffectTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_savedFrameTime = GetFrameTime();
        platform::SeedRand(1); // the first draw is then 41
    }
    void TearDown() override { SetFrameTime(m_savedFrameTime); }

  private:
    float m_savedFrameTime = 0.0f;
};

CPMeshVertex MakeVertex(std::uint32_t diffuse, float u, float v)
{
    CPMeshVertex vertex;
    vertex.position = {1.0f, 2.0f, 3.0f};
    vertex.normal = {0.0f, 0.0f, 1.0f};
    vertex.diffuse = diffuse;
    vertex.specular = 0x11223344;
    vertex.uv1 = {u, v};
    vertex.uv2 = {0.5f, 0.25f};
    return vertex;
}

// A short text naming the kind and the values the factory gave it.
std::string Describe(const CPVertexEffect* effect)
{
    std::ostringstream out;
    if (!effect) {
        out << "null";
    } else if (auto* fade = dynamic_cast<const CPFadeEffect*>(effect)) {
        out << "fade " << fade->GetRate();
    } else if (auto* anim = dynamic_cast<const CPAnimEffect*>(effect)) {
        out << "anim " << anim->GetColumns() << "x" << anim->GetRows() << " " << anim->GetSpeed();
    } else if (auto* moving = dynamic_cast<const CPMovingTexEffect*>(effect)) {
        out << "movingtex " << moving->GetRateU() << " " << moving->GetRateV();
    } else if (auto* flick = dynamic_cast<const CPFlickEffect*>(effect)) {
        out << "flick " << flick->GetFrequency() << " base " << int(flick->GetBase()) << " high "
            << int(flick->GetHigh()) << " amplitude " << flick->GetAmplitude();
    } else if (auto* environment = dynamic_cast<const CPEnvironmentEffect*>(effect)) {
        out << "environment " << environment->GetScale();
    } else {
        out << "unknown";
    }
    return out.str();
}

TEST_F(VertexEffectTest, FactoryTable)
{
    struct Case {
        const char* name;
        std::vector<std::string> parameters;
        const char* expected;
    };
    const Case cases[] = {
        // The keyword in any case; counts must match exactly.
        {"Fade", {"2"}, "fade 2"},
        {"FADE", {"-1.5"}, "fade -1.5"},
        {"fade", {}, "null"},
        {"fade", {"1", "2"}, "null"},
        {"MovingTex", {"0.5", "-0.25"}, "movingtex 0.5 -0.25"},
        {"movingtex", {"1"}, "null"},
        {"anim", {"4", "2", "8"}, "anim 4x2 8"},
        {"anim", {"4", "2"}, "null"},
        {"flick", {"3", "100", "200"}, "flick 3 base 150 high 200 amplitude 50"},
        {"flick", {"3", "356", "200"}, "flick 3 base 150 high 200 amplitude 50"}, // low 8 bits of 356
        {"Environment", {"2"}, "environment 2"},
        // Other keywords, or the keyword with anything around it.
        {"glow", {"1"}, "null"},
        {"fade ", {"1"}, "null"},
        {"", {}, "null"},
        // Only digits, "." and "-"; read as far as they form a number.
        {"fade", {"1e3"}, "null"},
        {"fade", {"+1"}, "null"},
        {"fade", {" 1"}, "null"},
        {"fade", {""}, "fade 0"},
        {"fade", {"-"}, "fade 0"},
        {"fade", {"."}, "fade 0"},
        {"fade", {".5"}, "fade 0.5"},
        {"fade", {"1.5.2"}, "fade 1.5"},
        {"fade", {"3-4"}, "fade 3"},
        {"anim", {"2.9", "3", "1"}, "anim 2x3 1"},
        // Values that would divide by zero, overflow or go endless.
        {"anim", {"0", "2", "8"}, "null"},
        {"anim", {"4", "-1", "8"}, "null"},
        {"anim", {"", "2", "8"}, "null"},
        {"anim", {"99999999999", "1", "1"}, "null"},
        {"anim", {"65536", "2", "1"}, "null"},
        {"anim", {"256", "256", "1"}, "anim 256x256 1"},
        {"environment", {"0"}, "null"},
        {"environment", {"-2"}, "null"},
        {"environment", {""}, "null"},
        {"fade", {std::string(400, '9')}, "null"},
        {"fade", {"1" + std::string(40, '0')}, "null"}, // beyond a float
    };
    for (const Case& c : cases) {
        const std::unique_ptr<CPVertexEffect> effect = CreateVertexEffect(c.name, c.parameters);
        EXPECT_EQ(Describe(effect.get()), c.expected) << "name \"" << c.name << "\"";
    }
}

TEST_F(VertexEffectTest, FadeLosesRateTimesTimeAndStopsAtZero)
{
    CPFadeEffect fade(100.0f);
    SetFrameTime(0.5f);
    // (applications, alpha after them, diffuse written)
    const struct {
        int applications;
        float alpha;
        std::uint32_t diffuse;
    } steps[] = {
        {1, 205.0f, 0xCDFFFFFF}, // 255 - 50
        {3, 55.0f, 0x37FFFFFF},  // 2 s in all
        {2, 0.0f, 0x00FFFFFF},   // 3 s: 255 - 300 clamps to 0
        {4, 0.0f, 0x00FFFFFF},   // and stays
    };
    CPMeshVertex in[2] = {MakeVertex(0x12345678, 0.0f, 0.0f), MakeVertex(0xFF000000, 1.0f, 1.0f)};
    CPMeshVertex out[2];
    for (const auto& step : steps) {
        for (int i = 0; i < step.applications; ++i)
            fade.Apply(out, in, 2);
        EXPECT_FLOAT_EQ(fade.GetAlpha(), step.alpha);
        EXPECT_EQ(out[0].diffuse, step.diffuse);
        EXPECT_EQ(out[1].diffuse, step.diffuse);
    }
    // Everything but the colour is copied.
    EXPECT_TRUE(Near(out[1].uv1, Vector2{1.0f, 1.0f}));
    EXPECT_EQ(out[1].specular, 0x11223344u);

    fade.Reset();
    EXPECT_FLOAT_EQ(fade.GetAlpha(), 255.0f);
    fade.Apply(out, in, 2);
    EXPECT_EQ(out[0].diffuse, 0xCDFFFFFFu);
}

TEST_F(VertexEffectTest, FadeWithNegativeRateBrightensPastFullAndKeepsLowByte)
{
    CPFadeEffect fade(-2.0f);
    SetFrameTime(1.0f);
    CPMeshVertex v = MakeVertex(0, 0.0f, 0.0f);
    fade.Apply(&v, &v, 1); // 257: the low 8 bits are 1
    EXPECT_EQ(v.diffuse, 0x01FFFFFFu);

    // Far beyond the integer range the byte is still defined.
    EXPECT_EQ(TruncatedLowByte(1.0e20), 0u);
    EXPECT_EQ(TruncatedLowByte(511.9), 255u);
    EXPECT_EQ(TruncatedLowByte(std::numeric_limits<double>::quiet_NaN()), 0u);
}

TEST_F(VertexEffectTest, AtlasFramesAtGivenTimes)
{
    CPAnimEffect anim(4, 2, 8.0f);
    ASSERT_EQ(anim.GetFrameCount(), 8);
    EXPECT_EQ(anim.GetUTable(), (std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f, 0.0f, 0.25f, 0.5f, 0.75f}));
    EXPECT_EQ(anim.GetVTable(), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f}));

    SetFrameTime(0.25f);
    // (time after the application, frame, written u and v of the corner (1, 1))
    const struct {
        float time;
        int frame;
        Vector2 uv;
    } steps[] = {
        {0.25f, 2, {0.75f, 0.5f}}, // 2 cells: third column of the first row
        {0.5f, 4, {0.25f, 1.0f}},  // first cell of the second row
        {0.75f, 6, {0.75f, 1.0f}},
        {1.0f, 0, {0.25f, 0.5f}}, // 8 cells wrap to the first
    };
    const CPMeshVertex in = MakeVertex(0xFFFFFFFF, 1.0f, 1.0f);
    CPMeshVertex out;
    for (const auto& step : steps) {
        anim.Apply(&out, &in, 1);
        EXPECT_FLOAT_EQ(anim.GetTime(), step.time);
        EXPECT_EQ(anim.GetFrame(), step.frame);
        EXPECT_TRUE(Near(out.uv1, step.uv)) << "at " << step.time;
    }
}

TEST_F(VertexEffectTest, AtlasFrameIsNeverNegative)
{
    const struct {
        float cells;
        int frameCount;
        int frame;
    } cases[] = {
        {4.0f, 8, 4},
        {8.9f, 8, 0},
        {-0.5f, 8, 0},
        {-2.0f, 8, 6},
        {-9.0f, 8, 7},
        {-8.0f, 8, 0},
        {3.0e9f, 7, 4}, // 3e9 = 7 x 428571428 + 4, past the int range
        {-3.0e9f, 7, 3},
        {1.0e30f, 8, 0},
        {std::numeric_limits<float>::infinity(), 8, 0},
        {std::numeric_limits<float>::quiet_NaN(), 8, 0},
        {5.0f, 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AtlasFrame(c.cells, c.frameCount), c.frame) << c.cells << " cells of " << c.frameCount;

    // Running backwards through the atlas.
    CPAnimEffect backwards(4, 2, -8.0f);
    SetFrameTime(0.25f);
    CPMeshVertex v = MakeVertex(0, 0.0f, 0.0f);
    backwards.Apply(&v, &v, 1); // -2 cells: frame 6
    EXPECT_EQ(backwards.GetFrame(), 6);
    EXPECT_TRUE(Near(v.uv1, Vector2{0.5f, 0.5f}));
}

// Effects made by the factory, applied a number of times at a frame time,
// each made right after seeding the generator (the first draw is 41).
TEST_F(VertexEffectTest, EffectValuesAtGivenTimes)
{
    const struct {
        const char* name;
        std::vector<std::string> parameters;
        int applications;
        float frameTime;
        std::uint32_t diffuse;
        Vector2 uv1;
        Vector2 uv2;
    } cases[] = {
        // 255 - 2 x 50 = 155
        {"fade", {"50"}, 2, 1.0f, 0x9BFFFFFF, {1, 1}, {0, 0}},
        // 0.75 s x 8 = 6 cells: third column, second row; the corner (1, 1)
        // lands at (0.25 + 0.5, 0.5 + 0.5)
        {"anim", {"4", "2", "8"}, 3, 0.25f, 0x80FFFFFF, {0.75f, 1.0f}, {0, 0}},
        // phase 41: u 20.5 -> 20.75 -> 0.75 -> 1.0 (exactly 1 stays 1), v
        // 10.25 -> 10.375 -> 0.375 -> 0.5
        {"movingtex", {"0.5", "0.25"}, 2, 0.5f, 0x80FFFFFF, {2.0f, 1.5f}, {0, 0}},
        // sin(41.5 x 2) x 50 + 150 = 198.4 -> 198; alpha 128 x 198 / 255 = 99
        {"flick", {"2", "100", "200"}, 1, 0.5f, 0x63FFFFFF, {1, 1}, {0, 0}},
        // (4 / 2 + 0.6 / 2, -2 / 2 + 0.8 / 2), the same at any time
        {"environment", {"2"}, 3, 0.5f, 0x80FFFFFF, {1, 1}, {2.3f, -0.6f}},
    };
    for (const auto& c : cases) {
        platform::SeedRand(1);
        std::unique_ptr<CPVertexEffect> effect = CreateVertexEffect(c.name, c.parameters);
        ASSERT_TRUE(effect) << c.name;
        SetFrameTime(c.frameTime);
        CPMeshVertex in = MakeVertex(0x80FFFFFF, 1.0f, 1.0f);
        in.position = {4.0f, -2.0f, 7.0f};
        in.normal = {0.6f, 0.8f, 0.0f};
        in.uv2 = {0.0f, 0.0f};
        CPMeshVertex out;
        for (int i = 0; i < c.applications; ++i)
            effect->Apply(&out, &in, 1);
        EXPECT_EQ(out.diffuse, c.diffuse) << c.name;
        EXPECT_TRUE(Near(out.uv1, c.uv1)) << c.name;
        EXPECT_TRUE(Near(out.uv2, c.uv2)) << c.name;
        EXPECT_TRUE(Near(out.position, in.position)) << c.name;
        EXPECT_EQ(out.specular, in.specular) << c.name;
    }
}

TEST_F(VertexEffectTest, OffsetWrapTable)
{
    const struct {
        float offset;
        float wrapped;
    } cases[] = {
        {0.5f, 0.5f},    {1.0f, 1.0f}, // exactly 1 stays 1
        {2.0f, 1.0f},    {1.25f, 0.25f}, {41.0f, 1.0f},  {0.0f, 0.0f}, {-0.25f, 0.75f},
        {-2.0f, 0.0f},   {-1.5f, 0.5f},  {3.0e9f, 1.0f}, // stepping down by 1 would never get below it
        {-3.0e9f, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(WrapTextureOffset(c.offset), c.wrapped) << c.offset;
}

TEST_F(VertexEffectTest, FlickStaysBetweenLowAndHigh)
{
    CPFlickEffect flick(2.0f, 100, 200);
    EXPECT_EQ(flick.GetBase(), 150);
    EXPECT_FLOAT_EQ(flick.GetAmplitude(), 50.0f);
    for (int i = 0; i < 200; ++i) {
        flick.Update(0.037f);
        ASSERT_GE(flick.GetValue(), 100);
        ASSERT_LE(flick.GetValue(), 200);
    }
}

TEST_F(VertexEffectTest, CloneCarriesTheRunningState)
{
    SetFrameTime(0.25f);
    CPMeshVertex v = MakeVertex(0xFFFFFFFF, 0.0f, 0.0f);

    CPFadeEffect fade(100.0f);
    fade.Apply(&v, &v, 1);
    std::unique_ptr<CPVertexEffect> fadeCopy = fade.Clone();
    EXPECT_EQ(Describe(fadeCopy.get()), "fade 100");
    EXPECT_FLOAT_EQ(static_cast<CPFadeEffect&>(*fadeCopy).GetAlpha(), 230.0f);
    fadeCopy->Apply(&v, &v, 1);
    EXPECT_FLOAT_EQ(fade.GetAlpha(), 230.0f); // the original stands still

    CPAnimEffect anim(4, 2, 8.0f);
    anim.Apply(&v, &v, 1);
    std::unique_ptr<CPVertexEffect> animCopy = anim.Clone();
    auto& animClone = static_cast<CPAnimEffect&>(*animCopy);
    EXPECT_FLOAT_EQ(animClone.GetTime(), 0.25f);
    EXPECT_EQ(animClone.GetFrame(), 2);
    EXPECT_EQ(animClone.GetUTable(), anim.GetUTable());
    EXPECT_NE(animClone.GetUTable().data(), anim.GetUTable().data());

    CPMovingTexEffect moving(0.5f, 0.5f);
    std::unique_ptr<CPVertexEffect> movingCopy = moving.Clone();
    EXPECT_FLOAT_EQ(static_cast<CPMovingTexEffect&>(*movingCopy).GetOffsetU(), moving.GetOffsetU());

    CPFlickEffect flick(1.0f, 0, 255);
    std::unique_ptr<CPVertexEffect> flickCopy = flick.Clone();
    EXPECT_FLOAT_EQ(static_cast<CPFlickEffect&>(*flickCopy).GetTime(), flick.GetTime());
}

// Counts its own destructions and remembers the buffers it was given.
class RecordingEffect : public CPVertexEffect {
  public:
    explicit RecordingEffect(int* destroyed, float shift) : m_destroyed(destroyed), m_shift(shift) {}
    ~RecordingEffect() override { ++*m_destroyed; }

    void Update(float) override {}
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count) override
    {
        lastIn = in;
        lastOut = out;
        CopyVertices(out, in, count);
        for (int i = 0; i < count; ++i)
            out[i].uv1.x += m_shift;
    }
    std::unique_ptr<CPVertexEffect> Clone() const override
    {
        return std::make_unique<RecordingEffect>(m_destroyed, m_shift);
    }

    const CPMeshVertex* lastIn = nullptr;
    const CPMeshVertex* lastOut = nullptr;

  private:
    int* m_destroyed;
    float m_shift;
};

TEST_F(VertexEffectTest, ChainFeedsEachEffectThePreviousOutput)
{
    int destroyed = 0;
    CPVertexEffectChain chain;
    chain.Add(std::make_unique<RecordingEffect>(&destroyed, 1.0f));
    chain.Add(nullptr);
    chain.Add(std::make_unique<RecordingEffect>(&destroyed, 10.0f));
    ASSERT_EQ(chain.GetSize(), 2u);

    const CPMeshVertex in[2] = {MakeVertex(0, 0.5f, 0.0f), MakeVertex(0, 0.25f, 0.0f)};
    CPMeshVertex out[2];
    chain.Apply(out, in, 2);
    auto* first = static_cast<RecordingEffect*>(chain.Get(0));
    auto* second = static_cast<RecordingEffect*>(chain.Get(1));
    EXPECT_EQ(first->lastIn, in);
    EXPECT_EQ(first->lastOut, out);
    EXPECT_EQ(second->lastIn, out);
    EXPECT_EQ(second->lastOut, out);
    EXPECT_FLOAT_EQ(out[0].uv1.x, 11.5f);
    EXPECT_FLOAT_EQ(out[1].uv1.x, 11.25f);
    EXPECT_FLOAT_EQ(in[0].uv1.x, 0.5f);

    CPVertexEffectChain empty;
    CPMeshVertex copied[2];
    empty.Apply(copied, in, 2);
    EXPECT_FLOAT_EQ(copied[1].uv1.x, 0.25f);
}

TEST_F(VertexEffectTest, ChainCopyClonesAndAssignmentFreesTheOldEffects)
{
    int destroyed = 0;
    {
        CPVertexEffectChain source;
        source.Add(std::make_unique<RecordingEffect>(&destroyed, 1.0f));
        source.Add(std::make_unique<CPFadeEffect>(10.0f));

        CPVertexEffectChain copy(source);
        ASSERT_EQ(copy.GetSize(), 2u);
        EXPECT_NE(copy.Get(0), source.Get(0));
        EXPECT_EQ(Describe(copy.Get(1)), "fade 10");

        CPVertexEffectChain target;
        target.Add(std::make_unique<RecordingEffect>(&destroyed, 2.0f));
        target.Add(std::make_unique<RecordingEffect>(&destroyed, 3.0f));
        target = source;
        EXPECT_EQ(destroyed, 2); // the two it held
        EXPECT_EQ(target.GetSize(), 2u);

        target = target;
        EXPECT_EQ(target.GetSize(), 2u);
        EXPECT_EQ(destroyed, 2);
    }
    EXPECT_EQ(destroyed, 5); // plus the source's, the copy's and the target's clones

    // Reset reaches every effect.
    CPVertexEffectChain chain;
    chain.Add(std::make_unique<CPFadeEffect>(100.0f));
    static_cast<CPFadeEffect*>(chain.Get(0))->Update(1.0f);
    chain.Reset();
    EXPECT_FLOAT_EQ(static_cast<CPFadeEffect*>(chain.Get(0))->GetAlpha(), 255.0f);
}

} // namespace
