#include "Render/Animation.h"

#include <cmath>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "Render/AnimationBlock.h"
#include "Render/AnimationCache.h"
#include "core/FileReader.h"
#include "core/PackFile.h"
#include "support/ScratchFolder.h"
#include "core/ServiceOverride.h"

namespace {

const std::uint32_t kColour = 0xFFA0B0C0;

class AnimationTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }

    // A reader over a file of one int32 (standing for the mesh file around
    // the block) followed by the bytes, its cursor on the bytes.
    std::unique_ptr<CPFileReader> ReaderFor(const std::string& bytes)
    {
        AnimationBlock file;
        file.Int(7);
        folder.Write("anim.bin", file.bytes + bytes);
        auto reader = std::make_unique<CPFileReader>("anim.bin", false);
        EXPECT_EQ(reader->Load(), S_OK);
        EXPECT_EQ(reader->ReadInt(), 7);
        return reader;
    }

    std::string TwoFrames()
    {
        AnimationBlock block;
        block.Frames(240.0f, {Triangle(-2.0f), {{VertexAt(3, -4, 5), VertexAt(1, 6, -7)}, {0, 1, 1}}});
        return block.bytes;
    }

    ScratchFolder folder;
    LogCapture log;
    CPAnimationCache cache;
    ServiceOverride<GetAnimationCache, SetAnimationCache> m_installed{&cache};
};

} // namespace

TEST_F(AnimationTest, LoadsFramesWithTheLoadersColourAndTheirBounds)
{
    CPAnimation animation("walk");
    auto reader = ReaderFor(TwoFrames() + "rest");
    ASSERT_TRUE(animation.Load(*reader, kColour));
    EXPECT_EQ(reader->GetRemaining(), 4u); // the block is consumed exactly

    EXPECT_EQ(animation.GetFrameCount(), 2);
    EXPECT_FLOAT_EQ(animation.GetFrameTime(), 0.1f); // 240 / 2400
    EXPECT_FLOAT_EQ(animation.GetDuration(), 0.2f);
    const auto& frames = animation.GetFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].frameNumber, 0);
    EXPECT_EQ(frames[1].frameNumber, 1);
    ASSERT_EQ(frames[0].vertices.size(), 3u);
    EXPECT_EQ(frames[0].vertices[1].position.x, -1.0f);
    EXPECT_EQ(frames[0].indices, (std::vector<std::uint16_t>{0, 1, 2}));
    EXPECT_EQ(frames[1].indices, (std::vector<std::uint16_t>{0, 1, 1}));
    for (const auto& frame : frames) {
        for (const CPMeshVertex& vertex : frame.vertices) {
            EXPECT_EQ(vertex.diffuse, kColour);
            EXPECT_EQ(vertex.specular, 0x55667788u);
            EXPECT_EQ(vertex.uv2.x, 0.75f);
        }
    }
    // Every vertex of both frames: x -2..3, y -4..6, z -7..5.
    const CPBoundingBox& bounds = animation.GetBounds();
    EXPECT_FLOAT_EQ(bounds.centre.x, 0.5f);
    EXPECT_FLOAT_EQ(bounds.centre.y, 1.0f);
    EXPECT_FLOAT_EQ(bounds.centre.z, -1.0f);
    EXPECT_FLOAT_EQ(bounds.halfExtents.x, 2.5f);
    EXPECT_FLOAT_EQ(bounds.halfExtents.y, 5.0f);
    EXPECT_FLOAT_EQ(bounds.halfExtents.z, 6.0f);
}

TEST_F(AnimationTest, EmptyBlockKeepsTheStartBoxAndEmptyFramesReadOnlyTheirCounts)
{
    CPAnimation empty("none");
    AnimationBlock block;
    block.Frames(100.0f, {});
    ASSERT_TRUE(empty.Load(*ReaderFor(block.bytes), kColour));
    EXPECT_EQ(empty.GetFrameCount(), 0);
    EXPECT_EQ(empty.GetDuration(), 0.0f);
    EXPECT_EQ(empty.ChooseFrame(0.5f), -1);
    // min (5e6, 5e6, 5e6), max (-5e5, -5e6, -5e5)
    EXPECT_FLOAT_EQ(empty.GetBounds().centre.x, 2250000.0f);
    EXPECT_FLOAT_EQ(empty.GetBounds().centre.y, 0.0f);
    EXPECT_FLOAT_EQ(empty.GetBounds().centre.z, 2250000.0f);
    EXPECT_FLOAT_EQ(empty.GetBounds().halfExtents.x, -2750000.0f);
    EXPECT_FLOAT_EQ(empty.GetBounds().halfExtents.y, -5000000.0f);

    CPAnimation hollow("hollow");
    AnimationBlock zeros;
    zeros.Int(2).Float(24.0f).Int(0).Int(0).Int(0).Int(0);
    auto reader = ReaderFor(zeros.bytes);
    ASSERT_TRUE(hollow.Load(*reader, kColour));
    EXPECT_EQ(reader->GetRemaining(), 0u);
    ASSERT_EQ(hollow.GetFrames().size(), 2u);
    EXPECT_TRUE(hollow.GetFrames()[1].vertices.empty());
}

TEST_F(AnimationTest, SkippingPassesOverTheBlockAndKeepsNothing)
{
    CPAnimation animation("walk");
    ASSERT_TRUE(animation.Load(*ReaderFor(TwoFrames()), kColour));

    AnimationBlock other;
    other.Frames(480.0f, {Triangle(10), Triangle(11), Triangle(12)});
    animation.SetSkipData(true);
    auto reader = ReaderFor(other.bytes + "tail");
    ASSERT_TRUE(animation.Load(*reader, 0));
    EXPECT_EQ(reader->GetRemaining(), 4u);
    EXPECT_EQ(animation.GetFrameCount(), 2);
    EXPECT_FLOAT_EQ(animation.GetFrameTime(), 0.1f);
    EXPECT_EQ(animation.GetFrames()[0].vertices[0].position.x, -2.0f);
}

TEST_F(AnimationTest, TruncatedOrCorruptBlocksAreReportedAndChangeNothing)
{
    const std::string good = TwoFrames();
    // Frame 0 is 4 + 3*48 + 4 + 3*2 = 158 bytes after the 8-byte header.
    struct Case {
        const char* what;
        std::string bytes;
        const char* logged;
        bool skipFails = true; // skipping checks the counts, not the indices
    };
    auto cut = [&good](std::size_t size) { return good.substr(0, size); };
    auto patchInt = [&good](std::size_t at, std::int32_t value) {
        std::string bytes = good;
        std::memcpy(&bytes[at], &value, 4);
        return bytes;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::string nanRate = good;
    std::memcpy(&nanRate[4], &nan, 4);
    std::string badIndex = good;
    const std::uint16_t index = 3;
    std::memcpy(&badIndex[8 + 4 + 3 * 48 + 4 + 2], &index, 2);

    const Case cases[] = {
        {"no bytes", cut(0), "the data ends inside its header"},
        {"half a header", cut(6), "the data ends inside its header"},
        {"header only", cut(8), "2 frames, more than the 0 bytes left can hold"},
        {"inside the vertex count", cut(10), "2 frames, more than the 2 bytes left can hold"},
        {"inside the vertices", cut(8 + 4 + 100), "frame 0's vertex count 3 needs 144 bytes"},
        {"inside the indices", cut(8 + 4 + 144 + 4 + 3), "frame 0's index count 3 needs 6 bytes, 3 left"},
        {"before the second frame", cut(8 + 158), "the data ends inside frame 1's vertex count"},
        {"last byte missing", cut(good.size() - 1), "frame 1's index count 3 needs 6 bytes, 5 left"},
        {"negative frame count", patchInt(0, -1), "a negative frame count (-1)"},
        {"huge frame count", patchInt(0, 0x7FFFFFFF), "2147483647 frames, more than"},
        {"negative vertex count", patchInt(8, -5), "frame 0 has a negative vertex count (-5)"},
        {"huge vertex count", patchInt(8, 0x7FFFFFFF),
         "frame 0's vertex count 2147483647 needs 103079215056"},
        {"negative index count", patchInt(8 + 4 + 144, -2), "frame 0 has a negative index count (-2)"},
        {"rate not a number", nanRate, "a frame rate that is not a number"},
        {"index past the vertices", badIndex, "frame 0 has index 3 past its 3 vertices", false},
    };

    CPAnimation animation("walk");
    AnimationBlock before;
    before.Frames(2400.0f, {Triangle(40)});
    ASSERT_TRUE(animation.Load(*ReaderFor(before.bytes), kColour));

    for (const Case& c : cases) {
        LogCapture caseLog;
        for (bool skip : {false, true}) {
            animation.SetSkipData(skip);
            EXPECT_EQ(animation.Load(*ReaderFor(c.bytes), kColour), skip && !c.skipFails) << c.what;
        }
        animation.SetSkipData(false);
        EXPECT_TRUE(
            caseLog.Contains("Animation \"walk\" in \"anim.bin\" not loaded: " + std::string(c.logged)))
            << c.what << "\n"
            << caseLog.Text();
        // What was loaded before stays whole.
        ASSERT_EQ(animation.GetFrames().size(), 1u) << c.what;
        EXPECT_EQ(animation.GetFrames()[0].vertices[0].position.x, 40.0f) << c.what;
        EXPECT_FLOAT_EQ(animation.GetDuration(), 1.0f) << c.what;
    }
}

TEST_F(AnimationTest, ChoosesTheFrameForATime)
{
    CPAnimation animation("four");
    AnimationBlock block;
    block.Frames(600.0f, {Triangle(0), Triangle(1), Triangle(2), Triangle(3)}); // 0.25 s a frame
    ASSERT_TRUE(animation.Load(*ReaderFor(block.bytes), kColour));
    ASSERT_FLOAT_EQ(animation.GetDuration(), 1.0f);

    const struct {
        float t;
        int frame;
    } cases[] = {
        {-1.0f, 0},
        {0.0f, 0},
        {0.3f, 1},
        {0.76f, 3},
        {1.0f, 3}, // a time equal to the pass stays in it
        {1.1f, 0},
        {2.6f, 2},
        {5.0f, 3},
        {1e9f, 3},
        {3e9f + 0.5f, 3},
        {std::numeric_limits<float>::quiet_NaN(), 0},
        {std::numeric_limits<float>::infinity(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(animation.ChooseFrame(c.t), c.frame) << c.t;

    // A zero frame time has no pass to wrap: the first frame stays.
    CPAnimation still("still");
    AnimationBlock stillBlock;
    stillBlock.Frames(0.0f, {Triangle(0), Triangle(1)});
    ASSERT_TRUE(still.Load(*ReaderFor(stillBlock.bytes), kColour));
    for (float t : {-1.0f, 0.0f, 7.5f})
        EXPECT_EQ(still.ChooseFrame(t), 0) << t;
}

TEST_F(AnimationTest, TheCacheFollowsTheLatestAnimationOfAName)
{
    auto first = std::make_unique<CPAnimation>("run");
    EXPECT_EQ(cache.FindAnimation("run"), first.get());
    auto second = std::make_unique<CPAnimation>("run");
    EXPECT_EQ(cache.FindAnimation("run"), second.get());
    first.reset();
    EXPECT_EQ(cache.FindAnimation("run"), second.get());
    second.reset();
    EXPECT_EQ(cache.FindAnimation("run"), nullptr);
}

TEST_F(AnimationTest, TheCacheCreatesOnceAndReloadsOnEveryRequest)
{
    CPObjectPtr walk = cache.GetAnimation("walk", *ReaderFor(TwoFrames()), kColour);
    ASSERT_TRUE(walk);
    auto* animation = walk.As<CPAnimation>();
    EXPECT_EQ(animation->GetFrameCount(), 2);

    AnimationBlock three;
    three.Frames(240.0f, {Triangle(0), Triangle(1), Triangle(2)});
    CPObjectPtr again = cache.GetAnimation("walk", *ReaderFor(three.bytes), kColour);
    EXPECT_EQ(again.Get(), animation);
    EXPECT_EQ(animation->GetFrameCount(), 3);

    // A broken block: no object, and the frames shown so far stay.
    EXPECT_FALSE(cache.GetAnimation("walk", *ReaderFor(three.bytes.substr(0, 20)), kColour));
    EXPECT_EQ(animation->GetFrameCount(), 3);
    EXPECT_EQ(cache.FindAnimation("walk"), animation);

    // A name first met with a broken block leaves nothing behind.
    EXPECT_FALSE(cache.GetAnimation("jump", *ReaderFor(three.bytes.substr(0, 20)), kColour));
    EXPECT_EQ(cache.FindAnimation("jump"), nullptr);
    EXPECT_EQ(cache.GetCount(), 1u);
    EXPECT_TRUE(log.Contains("Animation \"jump\" in \"anim.bin\" not loaded"));
}
