#include "platform/VideoFile.h"

#include <cstring>
#include <vector>

#include "platform/RiffFile.h"

namespace platform {
namespace {

constexpr std::uint32_t kFormAvi = MakeFourCC('A', 'V', 'I', ' ');
constexpr std::uint32_t kListHeaders = MakeFourCC('h', 'd', 'r', 'l');
constexpr std::uint32_t kMainHeader = MakeFourCC('a', 'v', 'i', 'h');
// Frame time, rate, padding, flags, frames, initial frames, streams,
// buffer size, width, height and four reserved words.
constexpr std::uint32_t kMainHeaderSize = 56;

std::uint32_t U32At(const std::uint8_t* bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

} // namespace

double VideoFileHeader::DurationSeconds() const
{
    return static_cast<double>(frameCount) * microsecondsPerFrame / 1000000.0;
}

bool IsVideoFile(const std::uint8_t* bytes, std::size_t size)
{
    return bytes && size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 &&
           std::memcmp(bytes + 8, "AVI ", 4) == 0;
}

bool ReadVideoFileHeader(const std::uint8_t* bytes, std::size_t size, VideoFileHeader& header)
{
    if (!IsVideoFile(bytes, size))
        return false;
    RiffFile file(std::vector<std::uint8_t>(bytes, bytes + size));
    ChunkInfo riff;
    riff.formType = kFormAvi;
    if (Failed(file.Descend(riff, nullptr, DescendMode::FindRiff)))
        return false;
    ChunkInfo list;
    list.id = kFourCCList;
    if (Failed(file.Descend(list, &riff, DescendMode::FindChunk)) || list.formType != kListHeaders)
        return false;
    ChunkInfo main;
    main.id = kMainHeader;
    if (Failed(file.Descend(main, &list, DescendMode::FindChunk)) || main.size < kMainHeaderSize ||
        !file.Holds(main))
        return false;
    std::uint8_t fields[kMainHeaderSize];
    std::uint32_t read = 0;
    if (Failed(file.Read(fields, kMainHeaderSize, &read)) || read != kMainHeaderSize)
        return false;
    VideoFileHeader result;
    result.microsecondsPerFrame = U32At(fields, 0);
    result.frameCount = U32At(fields, 16);
    result.width = U32At(fields, 32);
    result.height = U32At(fields, 36);
    if (result.width == 0 || result.height == 0 || result.width > kMaxVideoEdge ||
        result.height > kMaxVideoEdge)
        return false;
    header = result;
    return true;
}

} // namespace platform
