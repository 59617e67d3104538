#include "Sound/WaveReader.h"

#include "SoundTestSupport.h"

namespace {

class WaveReaderTest : public SoundTest {
  protected:
    HResult Open(const std::vector<std::uint8_t>& bytes)
    {
        WriteSound("test.wav", bytes);
        return m_reader.Open("Data\\Sounds\\test.wav", CPWaveReader::kModeRead);
    }

    CPWaveReader m_reader;
};

} // namespace

TEST_F(WaveReaderTest, ReadsFormatAndSamplesInPiecesAndOverAgain)
{
    // A "LIST" chunk of odd size sits before the samples, as editors write.
    const std::vector<std::uint8_t> samples = RampBytes(10);
    ASSERT_EQ(Open(RiffBuilder()
                       .Chunk("fmt ", FormatRecord(1, 2, 44100, 16))
                       .Chunk("LIST", {'I', 'N', 'F', 'O', 'x'})
                       .Chunk("data", samples)
                       .Build()),
              S_OK);
    const platform::WaveFormat* format = m_reader.GetFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->formatTag, 1);
    EXPECT_EQ(format->channels, 2);
    EXPECT_EQ(format->samplesPerSecond, 44100u);
    EXPECT_EQ(format->averageBytesPerSecond, 176400u);
    EXPECT_EQ(format->blockAlign, 4);
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_EQ(format->extraSize, 0);
    EXPECT_EQ(m_reader.GetSize(), 10u);

    std::vector<std::uint8_t> read(16, 0);
    std::uint32_t count = 0;
    ASSERT_EQ(m_reader.Read(read.data(), 6, &count), S_OK);
    EXPECT_EQ(count, 6u);
    ASSERT_EQ(m_reader.Read(read.data() + 6, 10, &count), S_OK);
    EXPECT_EQ(count, 4u); // only what is left
    EXPECT_EQ(std::vector<std::uint8_t>(read.begin(), read.begin() + 10), samples);
    ASSERT_EQ(m_reader.Read(read.data(), 10, &count), S_OK);
    EXPECT_EQ(count, 0u);

    ASSERT_EQ(m_reader.Rewind(), S_OK);
    ASSERT_EQ(m_reader.Read(read.data(), 3, &count), S_OK);
    EXPECT_EQ(read[0], samples[0]);
}

TEST_F(WaveReaderTest, KeepsTheExtraBytesOfOtherFormats)
{
    const std::vector<std::uint8_t> extra = {0xF4, 0x01, 0x07, 0x00};
    ASSERT_EQ(Open(RiffBuilder()
                       .Chunk("fmt ", ExtendedFormatRecord(2, 1, 22050, 4, extra))
                       .Chunk("data", RampBytes(8))
                       .Build()),
              S_OK);
    EXPECT_EQ(m_reader.GetFormat()->formatTag, 2);
    EXPECT_EQ(m_reader.GetFormat()->extraSize, 4);
    EXPECT_EQ(m_reader.GetFormatExtra(), extra);
}

TEST_F(WaveReaderTest, BadFilesFailWithTheReasonInTheLog)
{
    std::vector<std::uint8_t> fourteen = FormatRecord(1, 1, 22050, 8);
    fourteen.resize(14);
    std::vector<std::uint8_t> cutFile = MakeWave(1, 22050, 8, RampBytes(100));
    cutFile.resize(cutFile.size() - 40);
    std::vector<std::uint8_t> cutHeader = MakeWave(1, 22050, 8, RampBytes(4));
    cutHeader.resize(30);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"empty file", {}, "too short to be a RIFF file"},
        {"another RIFF form", RiffBuilder().Chunk("fmt ", FormatRecord(1, 1, 22050, 8)).Build("AVI "),
         "not a RIFF WAVE file"},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}, "not a RIFF WAVE file"},
        {"header cut in the format", cutHeader, "\"fmt \" chunk is cut short"},
        {"no format", RiffBuilder().Chunk("data", RampBytes(4)).Build(), "no \"fmt \" chunk"},
        {"14-byte format", RiffBuilder().Chunk("fmt ", fourteen).Chunk("data", RampBytes(4)).Build(),
         "holds 14 bytes, fewer than 16"},
        {"16-byte format of a compressed kind",
         RiffBuilder().Chunk("fmt ", FormatRecord(2, 1, 22050, 4)).Chunk("data", RampBytes(4)).Build(),
         "too few for the size of its extra data"},
        {"extra bytes beyond the format chunk",
         RiffBuilder()
             .Chunk("fmt ",
                    [] {
                        std::vector<std::uint8_t> record = FormatRecord(2, 1, 22050, 4);
                        AppendU16(record, 40); // claims 40 extra bytes, holds 2
                        record.push_back(1);
                        record.push_back(2);
                        return record;
                    }())
             .Chunk("data", RampBytes(4))
             .Build(),
         "declares 40 extra bytes"},
        {"no data", RiffBuilder().Chunk("fmt ", FormatRecord(1, 1, 22050, 8)).Build(), "no \"data\" chunk"},
        {"samples cut short", cutFile, "declares 100 bytes but only 60 follow"},
        {"absurd sample count",
         RiffBuilder()
             .Chunk("fmt ", FormatRecord(1, 1, 22050, 8))
             .ChunkDeclaring("data", 0xFFFFFFF0u, RampBytes(8))
             .Build(),
         "declares 4294967280 bytes but only 8 follow"},
    };
    for (const Case& c : cases) {
        const std::size_t logged = m_log.Text().size();
        EXPECT_EQ(Open(c.bytes), E_FAIL) << c.what;
        EXPECT_EQ(m_reader.GetSize(), 0u) << c.what;
        EXPECT_EQ(m_reader.GetFormat(), nullptr) << c.what;
        EXPECT_FALSE(m_reader.IsOpen()) << c.what;
        EXPECT_NE(m_log.Text().find(c.reason, logged), std::string::npos) << c.what;
    }
    EXPECT_TRUE(m_log.Contains("WAVE file \"Data\\Sounds\\test.wav\" cannot be read: "));
}

TEST_F(WaveReaderTest, MissingFileAndMisuseAnswerTheirCodes)
{
    EXPECT_EQ(m_reader.Open("Data\\Sounds\\none.wav", CPWaveReader::kModeRead), E_FAIL);
    EXPECT_TRUE(m_log.Contains("WAVE file \"Data\\Sounds\\none.wav\" cannot be read: it is missing"));

    std::uint8_t byte = 0;
    std::uint32_t count = 7;
    EXPECT_EQ(m_reader.Read(&byte, 1, &count), CPWaveReader::kNotOpen);
    EXPECT_EQ(m_reader.Rewind(), CPWaveReader::kNotOpen);

    ASSERT_EQ(Open(MakeWave(1, 22050, 8, RampBytes(4))), S_OK);
    EXPECT_EQ(m_reader.Read(nullptr, 1, &count), E_INVALIDARG);
    EXPECT_EQ(m_reader.Read(&byte, 1, nullptr), E_INVALIDARG);
    EXPECT_EQ(m_reader.Open("Data\\Sounds\\test.wav", 2), E_FAIL); // writing is not offered
    EXPECT_FALSE(m_reader.IsOpen());
}

TEST_F(WaveReaderTest, FileNamesIgnoreCase)
{
    WriteSound("Engine.WAV", MakeWave(1, 22050, 8, RampBytes(4)));
    EXPECT_EQ(m_reader.Open("DATA\\sounds\\engine.wav", CPWaveReader::kModeRead), S_OK);
    EXPECT_EQ(m_reader.GetSize(), 4u);
}
