#include "Render/PartAnimationFile.h"

#include <gtest/gtest.h>

#include "Render/AnimationBlock.h"
#include "Render/PartAnimation.h"
#include "core/PackFile.h"
#include "support/ScratchFolder.h"

namespace {

// One key: a duration and three stored rows (a, b, c, t); this one turns
// nothing and moves by (x, y, z).
void Key(AnimationBlock& file, float duration, float x, float y, float z)
{
    file.Float(duration);
    const float rows[12] = {1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z};
    for (float value : rows)
        file.Float(value);
}

void Track(AnimationBlock& file, const std::string& name, int keys, float firstX = 0.0f)
{
    file.Int(static_cast<std::int32_t>(name.size()));
    file.Raw(name.data(), name.size());
    file.Int(keys);
    for (int k = 0; k < keys; ++k)
        Key(file, 0.5f, firstX + k, 0, 0);
}

class PartAnimationFileTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }
    bool Load(const std::string& bytes, PartAnimationTracks& tracks)
    {
        folder.Write("data/animations/door.anm", bytes);
        return LoadPartAnimationFile("Door.anm", tracks);
    }

    ScratchFolder folder;
    LogCapture log;
};

} // namespace

TEST_F(PartAnimationFileTest, TracksGetTheirKeysWithStoredRowsAsColumns)
{
    AnimationBlock file;
    file.Int(3);
    Track(file, "Hinge", 3);
    // A turn: the stored rows (a, b, c, t) become the matrix's columns.
    file.Int(4).Raw("lid\0", 4).Int(3);
    file.Float(2.0f);
    const float rows[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (float value : rows)
        file.Float(value);
    Key(file, 1.0f, 0, 0, 0);
    Key(file, 1.0f, 0, 0, 0);
    Track(file, "hinge", 4, 100.0f); // a later track of the name replaces the first

    PartAnimationTracks tracks;
    ASSERT_TRUE(Load(file.bytes, tracks));
    ASSERT_EQ(tracks.size(), 2u);
    const CPPartAnimation& hinge = *tracks.at("hinge");
    ASSERT_EQ(hinge.GetKeys().size(), 4u);
    EXPECT_EQ(hinge.GetKeys()[1].m[3][0], 101.0f);
    EXPECT_EQ(hinge.GetDurations()[3], 0.5f);

    const Matrix4& m = tracks.at("lid")->GetKeys()[0]; // the name ends at its zero byte
    const float expected[4][4] = {{1, 5, 9, 0}, {2, 6, 10, 0}, {3, 7, 11, 0}, {4, 8, 12, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.m[r][c], expected[r][c]) << r << "," << c;
    EXPECT_EQ(tracks.at("lid")->GetDurations()[0], 2.0f);
}

TEST_F(PartAnimationFileTest, TracksThatCannotPlayAreLeftOut)
{
    AnimationBlock file;
    file.Int(3);
    Track(file, "short", 1);
    Track(file, "arm", 3);
    file.Int(4).Raw("stop", 4).Int(3);
    Key(file, 0.0f, 0, 0, 0); // a segment of no time
    Key(file, 1.0f, 0, 0, 0);
    Key(file, 1.0f, 0, 0, 0);

    PartAnimationTracks tracks;
    ASSERT_TRUE(Load(file.bytes, tracks));
    EXPECT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks.count("arm"), 1u);
    EXPECT_TRUE(log.Contains("Part animation track \"short\" of \"data\\animations\\door.anm\" left out"));
    EXPECT_TRUE(log.Contains("Part animation track \"stop\""));

    AnimationBlock none;
    none.Int(-4);
    PartAnimationTracks empty;
    EXPECT_TRUE(Load(none.bytes, empty));
    EXPECT_TRUE(empty.empty());
}

TEST_F(PartAnimationFileTest, TruncatedOrCorruptFilesGiveNoTracks)
{
    AnimationBlock good;
    good.Int(2);
    Track(good, "arm", 3);
    Track(good, "leg", 3);
    // Header 4; "arm" track: 4 + 3 name, 4 count, 3 keys of 52 bytes.
    const std::size_t firstTrack = 4 + 4 + 3 + 4 + 3 * 52;
    auto patchInt = [&good](std::size_t at, std::int32_t value) {
        std::string bytes = good.bytes;
        std::memcpy(&bytes[at], &value, 4);
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* logged;
    } cases[] = {
        {"inside the track count", good.bytes.substr(0, 3), "the data ends inside the track count"},
        {"no tracks after the count", good.bytes.substr(0, 4), "track 0's name runs past the end"},
        {"inside a name", good.bytes.substr(0, 9), "track 0's name runs past the end"},
        {"inside the key count", good.bytes.substr(0, 12), "the data ends inside track 0's key count"},
        {"inside the keys", good.bytes.substr(0, 4 + 4 + 3 + 4 + 100),
         "track \"arm\" has 3 keys, 100 bytes left"},
        {"second track cut", good.bytes.substr(0, good.bytes.size() - 1),
         "track \"leg\" has 3 keys, 155 bytes"},
        {"more tracks than stored", patchInt(0, 5), "track 2's name runs past the end"},
        {"negative name length", patchInt(4, -1), "track 0's name runs past the end"},
        {"huge name length", patchInt(4, 0x7FFFFFFF), "track 0's name runs past the end"},
        {"negative key count", patchInt(11, -3), "track \"arm\" has -3 keys"},
        {"huge key count", patchInt(firstTrack + 4 + 3, 0x40000000), "track \"leg\" has 1073741824 keys"},
    };
    for (const auto& c : cases) {
        LogCapture caseLog;
        PartAnimationTracks tracks;
        EXPECT_FALSE(Load(c.bytes, tracks)) << c.what;
        EXPECT_TRUE(tracks.empty()) << c.what;
        EXPECT_TRUE(caseLog.Contains("Part animations in \"data\\animations\\door.anm\" not loaded: " +
                                     std::string(c.logged)))
            << c.what << "\n"
            << caseLog.Text();
    }

    PartAnimationTracks tracks;
    EXPECT_FALSE(LoadPartAnimationFile("missing.anm", tracks));
    EXPECT_TRUE(tracks.empty());
}
