#include <gtest/gtest.h>

#include "platform/RiffFile.h"
#include "support/WaveFiles.h"

using platform::ChunkInfo;
using platform::DescendMode;
using platform::MakeFourCC;
using platform::RiffFile;

namespace {

ChunkInfo Wanted(const char* id)
{
    ChunkInfo chunk;
    chunk.id = MakeFourCC(id[0], id[1], id[2], id[3]);
    return chunk;
}

} // namespace

TEST(RiffFileTest, FindsChunksPastOddSizedOnesAndReadsInside)
{
    // "odd " holds 3 bytes and a pad byte; "data" must still be found.
    RiffFile file(RiffBuilder().Chunk("odd ", {9, 9, 9}).Chunk("data", {1, 2, 3, 4}).Build());
    ChunkInfo riff;
    ASSERT_EQ(file.Descend(riff, nullptr, DescendMode::Next), S_OK);
    EXPECT_EQ(riff.id, platform::kFourCCRiff);
    EXPECT_EQ(riff.formType, MakeFourCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(file.Tell(), 12u);

    ChunkInfo data = Wanted("data");
    ASSERT_EQ(file.Descend(data, &riff, DescendMode::FindChunk), S_OK);
    EXPECT_EQ(data.size, 4u);
    EXPECT_EQ(data.dataOffset, 12u + 8 + 4 + 8);
    EXPECT_TRUE(file.Holds(data));

    std::uint8_t bytes[8] = {};
    std::uint32_t read = 0;
    ASSERT_EQ(file.Read(bytes, 8, &read), S_OK);
    EXPECT_EQ(read, 4u); // the file ends there
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[3], 4);
}

TEST(RiffFileTest, SearchStaysInsideTheParent)
{
    std::vector<std::uint8_t> bytes = RiffBuilder().Chunk("fmt ", {1, 2}).Build();
    // A chunk after the end of the RIFF chunk belongs to nobody.
    const std::vector<std::uint8_t> outside = RiffBuilder().Chunk("data", {5, 6}).Build();
    bytes.insert(bytes.end(), outside.begin() + 12, outside.end());
    RiffFile file(bytes);
    ChunkInfo riff;
    ASSERT_EQ(file.Descend(riff, nullptr, DescendMode::Next), S_OK);
    ChunkInfo data = Wanted("data");
    EXPECT_EQ(file.Descend(data, &riff, DescendMode::FindChunk), E_FAIL);
}

TEST(RiffFileTest, DeclaredSizesNeverLeadOutsideTheBytes)
{
    // A chunk claiming far more than the file holds: found, but not held,
    // and skipping it finds nothing behind.
    RiffFile file(RiffBuilder().ChunkDeclaring("big ", 0xFFFFFFF0u, {1, 2, 3}).Build());
    ChunkInfo riff;
    ASSERT_EQ(file.Descend(riff, nullptr, DescendMode::Next), S_OK);
    ChunkInfo big = Wanted("big ");
    ASSERT_EQ(file.Descend(big, &riff, DescendMode::FindChunk), S_OK);
    EXPECT_FALSE(file.Holds(big));
    EXPECT_EQ(file.Ascend(big), E_FAIL);
    EXPECT_EQ(file.Tell(), file.Size());

    ASSERT_EQ(file.Seek(12), S_OK);
    ChunkInfo data = Wanted("data");
    EXPECT_EQ(file.Descend(data, &riff, DescendMode::FindChunk), E_FAIL);
    EXPECT_EQ(file.Seek(file.Size() + 1), E_FAIL);
}

TEST(RiffFileTest, ShortFilesHaveNoChunks)
{
    for (std::size_t size : {0u, 7u, 11u}) {
        std::vector<std::uint8_t> bytes = RiffBuilder().Build();
        bytes.resize(size);
        RiffFile file(bytes);
        ChunkInfo chunk;
        EXPECT_EQ(file.Descend(chunk, nullptr, DescendMode::Next), E_FAIL) << size;
    }
}

TEST(RiffFileTest, FindsARiffByItsForm)
{
    std::vector<std::uint8_t> bytes = RiffBuilder().Chunk("x   ", {}).Build("AVI ");
    const std::vector<std::uint8_t> wave = RiffBuilder().Chunk("data", {7, 7}).Build();
    bytes.insert(bytes.end(), wave.begin(), wave.end());
    RiffFile file(bytes);
    ChunkInfo riff;
    riff.formType = MakeFourCC('W', 'A', 'V', 'E');
    ASSERT_EQ(file.Descend(riff, nullptr, DescendMode::FindRiff), S_OK);
    EXPECT_EQ(riff.dataOffset, 20u + 8);
}
