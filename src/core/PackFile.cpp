#include "core/PackFile.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/Log.h"
#include "core/StringUtils.h"
#include "platform/FileSystem.h"

namespace {

// Little-endian fields of a byte range, checked against its end.
class TableCursor {
  public:
    TableCursor(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool ReadUint(std::uint32_t& value)
    {
        if (m_size - m_position < 4)
            return false;
        const std::uint8_t* p = m_data + m_position;
        value = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
        m_position += 4;
        return true;
    }

    bool ReadText(std::size_t length, std::string& text)
    {
        if (m_size - m_position < length)
            return false;
        text.assign(reinterpret_cast<const char*>(m_data + m_position), length);
        m_position += length;
        return true;
    }

  private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_position = 0;
};

HResult Reject(const std::string& fileName, const std::string& reason)
{
    LogLine("Pack file \"" + fileName + "\" not used: " + reason);
    return E_FAIL;
}

HResult ParseTable(const std::string& fileName, const std::vector<std::uint8_t>& bytes, std::uint32_t count,
                   std::uint64_t packSize, std::vector<PackTableEntry>& table)
{
    TableCursor cursor(bytes.data(), bytes.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        PackTableEntry entry;
        std::uint32_t length = 0;
        if (!cursor.ReadUint(length))
            return Reject(fileName, "its table is truncated");
        if (length == 0 || length > kMaxPackEntryName)
            return Reject(fileName, "entry " + std::to_string(i) + " has a name of " +
                                        std::to_string(length) + " bytes (1 to " +
                                        std::to_string(kMaxPackEntryName) + " allowed)");
        if (!cursor.ReadText(length, entry.name) || !cursor.ReadUint(entry.place.offset) ||
            !cursor.ReadUint(entry.place.size))
            return Reject(fileName, "its table is truncated");
        if (static_cast<std::uint64_t>(entry.place.offset) + entry.place.size > packSize)
            return Reject(fileName, "entry \"" + entry.name + "\" lies beyond the end of the pack");
        entry.name = PackEntryName(entry.name);
        table.push_back(std::move(entry));
    }
    return S_OK;
}

} // namespace

const PackEntry* PackFile::Find(const std::string& entryName) const
{
    auto found = index.find(entryName);
    return found == index.end() ? nullptr : &found->second;
}

std::string PackEntryName(const std::string& fileName)
{
    std::string name = fileName;
    ToLowerString(name);
    for (char& c : name) {
        if (c == '/')
            c = '\\';
    }
    std::size_t start = 0;
    while (start < name.size()) {
        if (name[start] == '\\')
            ++start;
        else if (name.compare(start, 2, ".\\") == 0)
            start += 2;
        else
            break;
    }
    return name.substr(start);
}

HResult ReadPackTable(const std::string& fileName, std::vector<PackTableEntry>& table)
{
    table.clear();
    platform::FileHandle file(platform::OpenFile(fileName, "rb"));
    if (!file)
        return Reject(fileName, "it cannot be opened");
    std::uint64_t packSize = 0;
    if (!platform::MeasureFile(file.get(), packSize))
        return Reject(fileName, "its size cannot be read");
    if (packSize == 0)
        return Reject(fileName, "it is empty");
    if (packSize < kPackHeaderSize)
        return Reject(fileName, "it is shorter than a pack header");

    std::uint8_t header[kPackHeaderSize];
    if (std::fread(header, 1, sizeof header, file.get()) != sizeof header)
        return Reject(fileName, "its header cannot be read");
    if (std::memcmp(header, kPackMagic, sizeof kPackMagic) != 0)
        return Reject(fileName, "it is not a pack file");
    TableCursor fields(header + 4, sizeof header - 4);
    std::uint32_t version = 0, count = 0, tableSize = 0;
    fields.ReadUint(version);
    fields.ReadUint(count);
    fields.ReadUint(tableSize);
    if (version != static_cast<std::uint32_t>(kPackVersion))
        return Reject(fileName, "its version " + std::to_string(version) + " is not known");
    if (tableSize > packSize - kPackHeaderSize)
        return Reject(fileName, "it is truncated: its table needs " + std::to_string(tableSize) + " bytes");
    if (count > tableSize / kMinPackRecordSize)
        return Reject(fileName, "its table cannot hold " + std::to_string(count) + " entries");

    std::vector<std::uint8_t> bytes(tableSize);
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return Reject(fileName, "its table cannot be read");
    std::vector<PackTableEntry> parsed;
    parsed.reserve(count);
    if (Failed(ParseTable(fileName, bytes, count, packSize, parsed)))
        return E_FAIL;
    table = std::move(parsed);
    return S_OK;
}

HResult PackFileList::AddPack(const std::string& fileName)
{
    std::vector<PackTableEntry> table;
    if (Failed(ReadPackTable(fileName, table)))
        return E_FAIL;
    PackFile pack;
    pack.fileName = fileName;
    pack.index.reserve(table.size());
    // A name listed twice keeps its first place.
    for (const PackTableEntry& entry : table)
        pack.index.emplace(entry.name, entry.place);
    m_packs.push_back(std::move(pack));
    return S_OK;
}

int PackFileList::AddPacks(const std::string& pattern)
{
    // The folder part of the pattern, with its separator, names the matches.
    const std::size_t slash = pattern.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    platform::FileSearch search;
    platform::FindData found;
    int added = 0;
    for (bool more = search.First(pattern, found); more; more = search.Next(found)) {
        if (!found.isDirectory && Succeeded(AddPack(folder + found.fileName)))
            ++added;
    }
    return added;
}

PackFileList& GetPackFileList()
{
    static PackFileList list;
    return list;
}
