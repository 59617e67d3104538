#include "platform/RiffFile.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

constexpr std::uint64_t kHeaderBytes = 8;

bool HasFormType(std::uint32_t id) { return id == kFourCCRiff || id == kFourCCList; }

std::uint64_t PaddedSize(std::uint32_t size) { return static_cast<std::uint64_t>(size) + (size & 1u); }

} // namespace

std::uint32_t RiffFile::ReadU32(std::uint64_t at) const
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | m_bytes[static_cast<std::size_t>(at) + static_cast<std::size_t>(i)];
    return value;
}

bool RiffFile::ReadHeader(std::uint64_t at, std::uint64_t end, ChunkInfo& chunk) const
{
    if (at + kHeaderBytes > end)
        return false;
    chunk.id = ReadU32(at);
    chunk.size = ReadU32(at + 4);
    chunk.formType = 0;
    chunk.dataOffset = static_cast<std::uint32_t>(at + kHeaderBytes);
    if (HasFormType(chunk.id)) {
        if (at + kHeaderBytes + 4 > end || chunk.size < 4)
            return false;
        chunk.formType = ReadU32(at + kHeaderBytes);
    }
    return true;
}

HResult RiffFile::Descend(ChunkInfo& chunk, const ChunkInfo* parent, DescendMode mode)
{
    std::uint64_t end = m_bytes.size();
    if (parent)
        end = std::min<std::uint64_t>(end, static_cast<std::uint64_t>(parent->dataOffset) + parent->size);
    const ChunkInfo wanted = chunk;
    std::uint64_t at = m_position;
    ChunkInfo found;
    while (ReadHeader(at, end, found)) {
        const bool matches =
            mode == DescendMode::Next || (mode == DescendMode::FindChunk && found.id == wanted.id) ||
            (mode == DescendMode::FindRiff && found.id == kFourCCRiff && found.formType == wanted.formType);
        if (matches) {
            chunk = found;
            m_position = found.dataOffset + (HasFormType(found.id) ? 4u : 0u);
            return S_OK;
        }
        if (mode == DescendMode::Next)
            break;
        at = found.dataOffset + PaddedSize(found.size);
    }
    return E_FAIL;
}

HResult RiffFile::Ascend(const ChunkInfo& chunk)
{
    const std::uint64_t next = static_cast<std::uint64_t>(chunk.dataOffset) + PaddedSize(chunk.size);
    m_position = static_cast<std::uint32_t>(std::min<std::uint64_t>(next, m_bytes.size()));
    return next <= m_bytes.size() ? S_OK : E_FAIL;
}

HResult RiffFile::Read(void* destination, std::uint32_t count, std::uint32_t* read)
{
    if (!destination || !read)
        return E_INVALIDARG;
    const std::uint32_t available = Size() - m_position;
    const std::uint32_t copied = std::min(count, available);
    if (copied > 0)
        std::memcpy(destination, m_bytes.data() + m_position, copied);
    m_position += copied;
    *read = copied;
    return S_OK;
}

HResult RiffFile::Seek(std::uint32_t offset)
{
    if (offset > Size())
        return E_FAIL;
    m_position = offset;
    return S_OK;
}

bool RiffFile::Holds(const ChunkInfo& chunk) const
{
    return static_cast<std::uint64_t>(chunk.dataOffset) + chunk.size <= m_bytes.size();
}

} // namespace platform
