#pragma once

#include <cstdint>
#include <vector>

#include "platform/Result.h"

// Chunked reading of a RIFF file held in memory, in the manner of the
// multimedia-file functions: descend into a chunk (optionally searching for
// one by identifier), read inside it, ascend out of it. No read ever leaves
// the bytes held; chunk sizes are reported as the file declares them, so a
// caller that needs a chunk whole checks it with Holds.
namespace platform {

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(a)) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(b)) << 8) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(c)) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d)) << 24);
}

constexpr std::uint32_t kFourCCRiff = MakeFourCC('R', 'I', 'F', 'F');
constexpr std::uint32_t kFourCCList = MakeFourCC('L', 'I', 'S', 'T');

// One chunk as Descend found it. For "RIFF" and "LIST" chunks formType is
// the four bytes after the size and dataOffset points at them.
struct ChunkInfo {
    std::uint32_t id = 0;
    std::uint32_t size = 0;
    std::uint32_t formType = 0;
    std::uint32_t dataOffset = 0;
};

enum class DescendMode : std::uint8_t {
    Next,      // the chunk at the current position, whatever it is
    FindChunk, // the first chunk from here with the identifier in `chunk.id`
    FindRiff,  // the first "RIFF" chunk from here with the form in `chunk.formType`
};

class RiffFile {
  public:
    RiffFile() = default;
    explicit RiffFile(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    // Descends into a chunk from the current position; with a parent the
    // search stays inside the parent's data. On success the position is
    // the start of the chunk's data (after the form type for "RIFF" and
    // "LIST"). E_FAIL when no such chunk lies within reach.
    HResult Descend(ChunkInfo& chunk, const ChunkInfo* parent, DescendMode mode);
    // Moves past the end of the chunk and its pad byte.
    HResult Ascend(const ChunkInfo& chunk);

    // Copies up to `count` bytes from the current position; *read receives
    // how many there were.
    HResult Read(void* destination, std::uint32_t count, std::uint32_t* read);
    // Moves to an absolute offset; E_FAIL past the end.
    HResult Seek(std::uint32_t offset);

    std::uint32_t Tell() const { return m_position; }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_bytes.size()); }
    const std::uint8_t* Data() const { return m_bytes.data(); }
    // Whether the chunk's declared data lies wholly inside the file.
    bool Holds(const ChunkInfo& chunk) const;

  private:
    bool ReadHeader(std::uint64_t at, std::uint64_t end, ChunkInfo& chunk) const;
    std::uint32_t ReadU32(std::uint64_t at) const;

    std::vector<std::uint8_t> m_bytes;
    std::uint32_t m_position = 0;
};

} // namespace platform
