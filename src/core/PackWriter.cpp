#include "core/PackWriter.h"

#include <limits>

#include "core/FileWriter.h"
#include "core/Log.h"
#include "core/PackFile.h"
#include "core/Scramble.h"

namespace {

std::uint64_t RecordSize(const std::string& name) { return 4 + name.size() + 4 + 4; }

// Offsets are 32-bit, and the writer takes at most 2 GiB in one piece.
constexpr std::uint64_t kMaxPackSize = std::numeric_limits<std::int32_t>::max();

} // namespace

bool CPPackWriter::AddEntry(const std::string& fileName, std::vector<std::uint8_t> bytes)
{
    const std::string name = PackEntryName(fileName);
    if (name.empty() || name.size() > kMaxPackEntryName)
        return false;
    for (const Entry& entry : m_entries) {
        if (entry.name == name)
            return false;
    }
    const std::uint64_t grown = kPackHeaderSize + TableSize() + RecordSize(name) + m_dataSize + bytes.size();
    if (grown > kMaxPackSize)
        return false;
    m_dataSize += bytes.size();
    m_entries.push_back({name, std::move(bytes)});
    return true;
}

std::uint64_t CPPackWriter::TableSize() const
{
    std::uint64_t size = 0;
    for (const Entry& entry : m_entries)
        size += RecordSize(entry.name);
    return size;
}

HResult CPPackWriter::Save(const std::string& fileName) const
{
    const std::uint64_t tableSize = TableSize();
    CPFileWriter writer(fileName, false);
    writer.WriteBytes(kPackMagic, sizeof kPackMagic);
    writer.WriteInt(kPackVersion);
    writer.WriteInt(static_cast<std::int32_t>(m_entries.size()));
    writer.WriteInt(static_cast<std::int32_t>(tableSize));
    std::uint64_t offset = kPackHeaderSize + tableSize;
    for (const Entry& entry : m_entries) {
        writer.WriteString(entry.name);
        writer.WriteInt(static_cast<std::int32_t>(offset));
        writer.WriteInt(static_cast<std::int32_t>(entry.bytes.size()));
        offset += entry.bytes.size();
    }
    for (const Entry& entry : m_entries) {
        std::vector<std::uint8_t> scrambled = entry.bytes;
        ScrambleBuffer(scrambled.data(), scrambled.size());
        writer.WriteBytes(scrambled.data(), static_cast<std::int32_t>(scrambled.size()));
    }
    if (Failed(writer.Save())) {
        LogLine("Cannot write the pack file \"" + fileName + "\"");
        return E_FAIL;
    }
    return S_OK;
}
