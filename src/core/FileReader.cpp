#include "core/FileReader.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "core/Log.h"
#include "core/PackFile.h"
#include "core/Scramble.h"
#include "core/StringUtils.h"
#include "platform/FileSystem.h"

namespace {

// The first pack, in list order, that lists the name and opens. A pack
// that lists it but cannot be opened is passed over, so a later pack that
// supplies the bytes still makes the load succeed.
platform::ReadOnlyFile OpenPackHolding(const std::string& entryName, const PackEntry*& entry,
                                       std::string& packName)
{
    for (const PackFile& candidate : GetPackFileList().GetPacks()) {
        entry = candidate.Find(entryName);
        if (!entry)
            continue;
        platform::ReadOnlyFile pack(candidate.fileName);
        if (pack.IsOpen()) {
            packName = candidate.fileName;
            return pack;
        }
        LogLine("Pack file \"" + candidate.fileName + "\" lists \"" + entryName + "\" but cannot be opened");
    }
    return platform::ReadOnlyFile();
}

} // namespace

CPFileReader::CPFileReader(const std::string& fileName, bool scrambled)
    : m_fileName(fileName), m_scrambled(scrambled)
{
    ToLowerString(m_fileName);
}

HResult CPFileReader::Load()
{
    m_data.reset();
    m_dataSize = 0;
    platform::FileHandle file(platform::OpenFile(m_fileName, "rb"));
    if (file)
        return LoadFromDisk(file.get());
    return LoadFromPack();
}

HResult CPFileReader::LoadIfPresent()
{
    m_quietWhenMissing = true;
    const HResult result = Load();
    m_quietWhenMissing = false;
    return result;
}

HResult CPFileReader::LoadFromDisk(std::FILE* file)
{
    std::uint64_t size = 0;
    if (!platform::MeasureFile(file, size))
        return Fail("its size cannot be read");
    // An empty file loads as an empty buffer; a reader that needs bytes
    // says so itself.
    if (size > std::numeric_limits<std::uint32_t>::max())
        return Fail("it is larger than 4 GiB");
    if (Failed(ReadWhole(file, static_cast<std::uint32_t>(size), "it")))
        return E_FAIL;
    if (m_scrambled)
        UnscrambleBuffer(m_data.get(), m_dataSize);
    return S_OK;
}

HResult CPFileReader::LoadFromPack()
{
    if (GetPackFileList().IsEmpty())
        return Missing("it is not on disk");
    const PackEntry* entry = nullptr;
    std::string packName;
    platform::ReadOnlyFile pack = OpenPackHolding(PackEntryName(m_fileName), entry, packName);
    if (!pack.IsOpen())
        return Missing("it is neither on disk nor in a pack file");

    const std::string where = "its entry in pack file \"" + packName + "\"";
    std::uint64_t packSize = 0;
    if (!pack.Measure(packSize))
        return Fail(where + " cannot be measured");
    // The pack may have changed since its table was read: check before
    // allocating anything for the entry.
    if (static_cast<std::uint64_t>(entry->offset) + entry->size > packSize)
        return Fail(where + " lies beyond the end of the pack");
    if (Failed(MakeBuffer(entry->size, where)))
        return E_FAIL;
    if (Failed(FinishRead(pack.ReadAt(entry->offset, m_data.get(), entry->size), where)))
        return E_FAIL;
    UnscrambleBuffer(m_data.get(), m_dataSize);
    return S_OK;
}

// One read of the whole size; after a short read the buffer keeps its
// size with zeros where nothing arrived.
HResult CPFileReader::ReadWhole(std::FILE* file, std::uint32_t size, const std::string& where)
{
    if (Failed(MakeBuffer(size, where)))
        return E_FAIL;
    return FinishRead(std::fread(m_data.get(), 1, size, file), where);
}

HResult CPFileReader::MakeBuffer(std::uint32_t size, const std::string& where)
{
    m_data.reset(new (std::nothrow) std::uint8_t[size]);
    if (!m_data)
        return Fail(where + " needs more memory than there is");
    m_dataSize = size;
    return S_OK;
}

HResult CPFileReader::FinishRead(std::size_t got, const std::string& where)
{
    if (got == m_dataSize)
        return S_OK;
    std::memset(m_data.get() + got, 0, m_dataSize - got);
    return Fail(where + " could not be read whole");
}

HResult CPFileReader::Fail(const std::string& reason)
{
    LogLine("Cannot load \"" + m_fileName + "\": " + reason);
    return E_FAIL;
}

HResult CPFileReader::Missing(const std::string& reason)
{
    return m_quietWhenMissing ? E_FAIL : Fail(reason);
}

void CPFileReader::MarkOverrun()
{
    m_cursor = m_dataSize;
    m_readError = true;
}

HResult CPFileReader::ReadBytes(void* destination, std::size_t count)
{
    if (count > GetRemaining()) {
        std::memset(destination, 0, count);
        MarkOverrun();
        return E_FAIL;
    }
    if (count > 0)
        std::memcpy(destination, m_data.get() + m_cursor, count);
    m_cursor += static_cast<std::uint32_t>(count);
    return S_OK;
}

std::int32_t CPFileReader::ReadInt()
{
    std::uint8_t bytes[4];
    ReadBytes(bytes, sizeof bytes);
    const std::uint32_t bits =
        bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<std::int32_t>(bits);
}

float CPFileReader::ReadFloat()
{
    const std::uint32_t bits = static_cast<std::uint32_t>(ReadInt());
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string CPFileReader::ReadString()
{
    const std::int32_t length = ReadInt();
    if (length < 0 || static_cast<std::uint32_t>(length) > GetRemaining()) {
        MarkOverrun();
        return std::string();
    }
    if (length == 0)
        return std::string();
    const char* start = reinterpret_cast<const char*>(m_data.get() + m_cursor);
    m_cursor += static_cast<std::uint32_t>(length);
    return std::string(start, strnlen(start, static_cast<std::size_t>(length)));
}
