#include "Sound/WaveReader.h"

#include <algorithm>
#include <iterator>

#include "core/FileReader.h"
#include "core/Log.h"

namespace {

constexpr std::uint32_t kFourCCWave = platform::MakeFourCC('W', 'A', 'V', 'E');
constexpr std::uint32_t kFourCCFormat = platform::MakeFourCC('f', 'm', 't', ' ');
constexpr std::uint32_t kFourCCData = platform::MakeFourCC('d', 'a', 't', 'a');
constexpr std::uint32_t kFormatRecordBytes = 16;
constexpr std::uint32_t kExtendedFormatBytes = 18;
constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;
// Sizes a writer that could not go back (to a pipe) leaves in the header:
// the largest there is, and the one sox writes.
constexpr std::uint32_t kUnknownSize = 0xFFFFFFFFu;
constexpr std::uint32_t kSoxUnknownSize = 0x7FFFF000u;

// sox cuts its unknown size down to whole frames, so frames of 3 or 6
// bytes leave it short of its round value by a part frame.
bool IsUnknownSize(std::uint32_t size, std::uint16_t blockAlign)
{
    if (size == kUnknownSize || size == kSoxUnknownSize)
        return true;
    return blockAlign > 0 && size == kSoxUnknownSize - kSoxUnknownSize % blockAlign;
}

std::uint16_t U16At(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t U32At(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// The sample format an extensible header names: the first two bytes of
// its sub-format, when the rest is the fixed tail that makes an old tag of
// them (PCM 1, float 3). 0 for any other sub-format.
std::uint16_t ExtensibleSubFormat(const std::vector<std::uint8_t>& extra)
{
    static const std::uint8_t kTail[] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    // Valid bits (2), channel mask (4), then the 16-byte sub-format.
    if (extra.size() < 22 || !std::equal(std::begin(kTail), std::end(kTail), extra.begin() + 8))
        return 0;
    return U16At(extra.data() + 6);
}

} // namespace

CPWaveReader::~CPWaveReader() { Close(); }

HResult CPWaveReader::Fail(const std::string& reason)
{
    LogLine("WAVE file \"" + m_path + "\" cannot be read: " + reason);
    return E_FAIL;
}

HResult CPWaveReader::Open(const std::string& path, std::uint32_t mode)
{
    Close();
    m_format.reset();
    m_formatExtra.clear();
    m_dataSize = 0;
    m_path = path;
    m_mode = mode;
    if (mode != kModeRead)
        return Fail("it can only be opened for reading");

    CPFileReader reader(path, false);
    if (Failed(reader.Load()))
        return Fail("it is missing or unreadable");
    const std::uint8_t* bytes = reader.GetData();
    m_file =
        std::make_unique<platform::RiffFile>(std::vector<std::uint8_t>(bytes, bytes + reader.GetDataSize()));

    if (Failed(ReadHeader()) || Failed(Rewind())) {
        m_format.reset();
        m_formatExtra.clear();
        Close();
        return E_FAIL;
    }
    m_dataSize = m_dataChunk.size;
    return S_OK;
}

HResult CPWaveReader::ReadHeader()
{
    platform::RiffFile& file = *m_file;
    m_riffChunk = platform::ChunkInfo();
    if (Failed(file.Descend(m_riffChunk, nullptr, platform::DescendMode::Next)))
        return Fail("it is too short to be a RIFF file");
    if (m_riffChunk.id != platform::kFourCCRiff || m_riffChunk.formType != kFourCCWave)
        return Fail("it is not a RIFF WAVE file");

    platform::ChunkInfo format;
    format.id = kFourCCFormat;
    if (Failed(file.Descend(format, &m_riffChunk, platform::DescendMode::FindChunk)))
        return Fail("it has no \"fmt \" chunk");
    if (format.size < kFormatRecordBytes)
        return Fail("its \"fmt \" chunk holds " + std::to_string(format.size) + " bytes, fewer than 16");

    std::uint8_t record[kFormatRecordBytes];
    std::uint32_t read = 0;
    if (Failed(file.Read(record, kFormatRecordBytes, &read)) || read != kFormatRecordBytes)
        return Fail("its \"fmt \" chunk is cut short");
    auto parsed = std::make_unique<platform::WaveFormat>();
    parsed->formatTag = U16At(record);
    parsed->channels = U16At(record + 2);
    parsed->samplesPerSecond = U32At(record + 4);
    parsed->averageBytesPerSecond = U32At(record + 8);
    parsed->blockAlign = U16At(record + 12);
    parsed->bitsPerSample = U16At(record + 14);

    if (parsed->formatTag != platform::kWaveFormatPcm) {
        // Other formats carry the size of their extra data, which must lie
        // inside the chunk like the data itself.
        if (format.size < kExtendedFormatBytes)
            return Fail("its \"fmt \" chunk of format " + std::to_string(parsed->formatTag) + " holds " +
                        std::to_string(format.size) + " bytes, too few for the size of its extra data");
        std::uint8_t extraSize[2];
        if (Failed(file.Read(extraSize, 2, &read)) || read != 2)
            return Fail("its \"fmt \" chunk is cut short");
        parsed->extraSize = U16At(extraSize);
        if (kExtendedFormatBytes + parsed->extraSize > format.size)
            return Fail("its format declares " + std::to_string(parsed->extraSize) +
                        " extra bytes, more than its \"fmt \" chunk holds");
        m_formatExtra.resize(parsed->extraSize);
        if (parsed->extraSize > 0 &&
            (Failed(file.Read(m_formatExtra.data(), parsed->extraSize, &read)) || read != parsed->extraSize))
            return Fail("its \"fmt \" chunk is cut short");
    }
    if (Failed(file.Ascend(format)))
        return Fail("its \"fmt \" chunk runs past the end of the file");
    // The extensible header wraps plain PCM and float samples too; the
    // sound device knows them by their plain tags.
    if (parsed->formatTag == kWaveFormatExtensible) {
        const std::uint16_t sub = ExtensibleSubFormat(m_formatExtra);
        if (sub == platform::kWaveFormatPcm || sub == platform::kWaveFormatFloat)
            parsed->formatTag = sub;
    }
    m_format = std::move(parsed);
    return S_OK;
}

HResult CPWaveReader::Rewind()
{
    if (!m_file)
        return kNotOpen;
    return FindData();
}

HResult CPWaveReader::FindData()
{
    platform::RiffFile& file = *m_file;
    m_remaining = 0;
    if (Failed(file.Seek(m_riffChunk.dataOffset + 4)))
        return Fail("its RIFF chunk is cut short");
    m_dataChunk = platform::ChunkInfo();
    m_dataChunk.id = kFourCCData;
    if (Failed(file.Descend(m_dataChunk, &m_riffChunk, platform::DescendMode::FindChunk)))
        return Fail("it has no \"data\" chunk");
    // A file written to a pipe could not fill in its sizes: its samples are
    // the bytes that are there.
    const std::uint16_t blockAlign = m_format ? m_format->blockAlign : 0;
    if (IsUnknownSize(m_dataChunk.size, blockAlign) && !file.Holds(m_dataChunk)) {
        m_dataChunk.size = file.Size() - m_dataChunk.dataOffset;
        if (blockAlign > 0)
            m_dataChunk.size -= m_dataChunk.size % blockAlign;
    }
    if (!file.Holds(m_dataChunk))
        return Fail("its \"data\" chunk declares " + std::to_string(m_dataChunk.size) + " bytes but only " +
                    std::to_string(file.Size() - m_dataChunk.dataOffset) + " follow");
    m_remaining = m_dataChunk.size;
    return S_OK;
}

HResult CPWaveReader::Read(std::uint8_t* destination, std::uint32_t count, std::uint32_t* read)
{
    if (!destination || !read)
        return E_INVALIDARG;
    *read = 0;
    if (!m_file)
        return kNotOpen;
    const std::uint32_t wanted = std::min(count, m_remaining);
    std::uint32_t copied = 0;
    if (Failed(m_file->Read(destination, wanted, &copied)) || copied != wanted)
        return E_FAIL;
    m_remaining -= copied;
    *read = copied;
    return S_OK;
}

HResult CPWaveReader::Close()
{
    m_file.reset();
    m_remaining = 0;
    return S_OK;
}
