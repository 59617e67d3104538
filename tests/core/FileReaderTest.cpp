#include "core/FileReader.h"

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>

#include "support/ScratchFolder.h"
#include "core/FileWriter.h"
#include "core/PackFile.h"
#include "core/Scramble.h"

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

class FileReaderTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetPackFileList().Clear();
        folder.UseAsDataRoot();
    }
    void TearDown() override { GetPackFileList().Clear(); }

    ScratchFolder folder;
    LogCapture log;
};

} // namespace

TEST_F(FileReaderTest, MixedCaseNameLoadsTheLowerCaseFile)
{
    folder.Write("data/levels/level1.lvl", "level data");
    CPFileReader reader("Data\\Levels\\Level1.LVL", false);
    EXPECT_EQ(reader.GetFileName(), "data\\levels\\level1.lvl");
    ASSERT_EQ(reader.Load(), S_OK);
    ASSERT_EQ(reader.GetDataSize(), 10u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reader.GetData()), 10), "level data");
}

TEST_F(FileReaderTest, WriterFieldsHaveTheirLittleEndianBytes)
{
    CPFileWriter writer("fields.bin", false);
    writer.WriteInt(-2);
    writer.WriteFloat(1.5f);
    writer.WriteString("abc");
    writer.WriteString("");
    EXPECT_EQ(writer.WriteBytes("zz", 0), S_OK);
    EXPECT_EQ(writer.WriteBytes("zz", -3), S_OK);
    const std::string expected =
        Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F, 3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0});
    EXPECT_EQ(std::string(writer.GetBuffer().begin(), writer.GetBuffer().end()), expected);
    ASSERT_EQ(writer.Save(), S_OK);
    EXPECT_EQ(folder.Read("fields.bin"), expected);
}

TEST_F(FileReaderTest, ReaderReadsBackWhatTheWriterWrote)
{
    CPFileWriter writer("Save0.sav", false);
    writer.WriteInt(123456789);
    writer.WriteFloat(-0.25f);
    writer.WriteString("player");
    writer.WriteString("");
    writer.WriteString(std::string("ab\0cd", 5));
    writer.WriteInt(7);
    ASSERT_EQ(writer.Save(), S_OK);

    CPFileReader reader("SAVE0.SAV", false);
    ASSERT_EQ(reader.Load(), S_OK);
    EXPECT_EQ(reader.ReadInt(), 123456789);
    EXPECT_EQ(reader.ReadFloat(), -0.25f);
    EXPECT_EQ(reader.ReadString(), "player");
    const std::uint32_t beforeEmpty = reader.GetPosition();
    EXPECT_EQ(reader.ReadString(), "");
    EXPECT_EQ(reader.GetPosition(), beforeEmpty + 4);
    EXPECT_EQ(reader.ReadString(), "ab"); // cut at the zero, cursor after all five bytes
    EXPECT_EQ(reader.ReadInt(), 7);
    EXPECT_EQ(reader.GetRemaining(), 0u);
    EXPECT_FALSE(reader.HasReadError());
}

namespace {

enum class Read { Int, Float, String, Bytes8 };

struct OverrunCase {
    const char* label;
    std::string data;
    Read read;
};

} // namespace

// Every read that would leave the data gives zeros or "", moves the cursor
// to the end and leaves an error that stays.
TEST_F(FileReaderTest, ReadsPastTheEndGiveZerosAndAStickyError)
{
    const OverrunCase cases[] = {
        {"int from 3 bytes", Bytes({1, 2, 3}), Read::Int},
        {"float from 2 bytes", Bytes({0, 0}), Read::Float},
        {"string length without bytes", Bytes({5, 0, 0, 0, 'a', 'b'}), Read::String},
        {"negative string length", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}), Read::String},
        {"huge string length", Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a'}), Read::String},
        {"string length cut short", Bytes({5, 0}), Read::String},
        {"8 bytes from 5", Bytes({1, 2, 3, 4, 5}), Read::Bytes8},
    };
    for (const OverrunCase& c : cases) {
        SCOPED_TRACE(c.label);
        folder.Write("cut.bin", c.data);
        CPFileReader reader("cut.bin", false);
        ASSERT_EQ(reader.Load(), S_OK);
        switch (c.read) {
        case Read::Int:
            EXPECT_EQ(reader.ReadInt(), 0);
            break;
        case Read::Float:
            EXPECT_EQ(reader.ReadFloat(), 0.0f);
            break;
        case Read::String:
            EXPECT_EQ(reader.ReadString(), "");
            break;
        case Read::Bytes8: {
            std::uint8_t out[8];
            std::memset(out, 0xAA, sizeof out);
            EXPECT_EQ(reader.ReadBytes(out, sizeof out), E_FAIL);
            for (std::uint8_t b : out)
                EXPECT_EQ(b, 0);
            break;
        }
        }
        EXPECT_TRUE(reader.HasReadError());
        EXPECT_EQ(reader.GetPosition(), reader.GetDataSize());
        EXPECT_EQ(reader.ReadInt(), 0);
        EXPECT_TRUE(reader.HasReadError());
    }
}

TEST_F(FileReaderTest, ReadsThatFitExactlyLeaveNoError)
{
    folder.Write("exact.bin", Bytes({2, 0, 0, 0, 'h', 'i', 9, 0, 0, 0}));
    CPFileReader reader("exact.bin", false);
    ASSERT_EQ(reader.Load(), S_OK);
    EXPECT_EQ(reader.ReadString(), "hi");
    EXPECT_EQ(reader.ReadInt(), 9);
    EXPECT_FALSE(reader.HasReadError());
}

TEST_F(FileReaderTest, MissingFilesFailWithALogLineAndEmptyFilesLoadEmpty)
{
    CPFileReader missing("Data\\Nothing.lvl", false);
    EXPECT_EQ(missing.Load(), E_FAIL);
    EXPECT_EQ(missing.GetDataSize(), 0u);
    EXPECT_TRUE(log.Contains("Cannot load \"data\\nothing.lvl\": it is not on disk"));

    // An empty file is there and holds nothing: reading from it is a read
    // error, which is the reader's to report.
    folder.Write("empty.dat", "");
    CPFileReader empty("Empty.dat", true);
    EXPECT_EQ(empty.Load(), S_OK);
    EXPECT_EQ(empty.GetDataSize(), 0u);
    EXPECT_FALSE(log.Contains("empty.dat"));
    EXPECT_EQ(empty.ReadInt(), 0);
    EXPECT_TRUE(empty.HasReadError());
}

TEST_F(FileReaderTest, ScrambledFilesComeBackPlainOnlyWhenFlagged)
{
    const std::string plain(3000, 'x');
    folder.Write("Data/other.dat", "");
    CPFileWriter writer("Data\\scores.dat", true);
    writer.WriteBytes(plain.data(), static_cast<std::int32_t>(plain.size()));
    ASSERT_EQ(writer.Save(), S_OK);
    const std::string onDisk = folder.Read("Data/scores.dat");
    ASSERT_EQ(onDisk.size(), plain.size());
    EXPECT_NE(onDisk, plain);

    CPFileReader flagged("data\\scores.dat", true);
    ASSERT_EQ(flagged.Load(), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(flagged.GetData()), flagged.GetDataSize()), plain);

    CPFileReader unflagged("data\\scores.dat", false);
    ASSERT_EQ(unflagged.Load(), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(unflagged.GetData()), unflagged.GetDataSize()),
              onDisk);
}

TEST_F(FileReaderTest, SavingTwiceWritesTheSameBytes)
{
    CPFileWriter writer("twice.dat", true);
    writer.WriteString("the same both times");
    ASSERT_EQ(writer.Save(), S_OK);
    const std::string first = folder.Read("twice.dat");
    ASSERT_EQ(writer.Save(), S_OK);
    EXPECT_EQ(folder.Read("twice.dat"), first);

    std::vector<std::uint8_t> restored(first.begin(), first.end());
    UnscrambleBuffer(restored.data(), restored.size());
    EXPECT_EQ(restored, writer.GetBuffer());
}

TEST_F(FileReaderTest, SaveThatCannotWriteFailsAndKeepsTheOldFile)
{
    folder.Write("player.dat", "old contents");
    folder.Write("Data/Levels/keep", "");

    CPFileWriter intoMissingFolder("No\\Such\\Folder\\player.dat", false);
    intoMissingFolder.WriteInt(1);
    EXPECT_EQ(intoMissingFolder.Save(), E_FAIL);

    CPFileWriter ontoFolder("DATA\\LEVELS", false);
    ontoFolder.WriteInt(1);
    EXPECT_EQ(ontoFolder.Save(), E_FAIL);
    EXPECT_TRUE(log.Contains("Cannot write the file \"DATA\\LEVELS\""));
    EXPECT_EQ(folder.Read("player.dat"), "old contents");
}

// A file-size limit makes the write come up short, as a full disk would.
TEST_F(FileReaderTest, ShortWriteFailsAndKeepsTheOldFile)
{
    folder.Write("player.dat", "old contents");
    CPFileWriter writer("Player.DAT", false);
    const std::vector<std::uint8_t> big(64 * 1024, 7);
    writer.WriteBytes(big.data(), static_cast<std::int32_t>(big.size()));

    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4096;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const HResult result = writer.Save();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, E_FAIL);
    EXPECT_EQ(folder.Read("player.dat"), "old contents");
    EXPECT_FALSE(folder.Exists("player.dat.partial"));
    EXPECT_TRUE(log.Contains("Cannot write the file"));
}
