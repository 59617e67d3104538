#include "core/FileWriter.h"

#include <cstring>

#include "core/Log.h"
#include "core/Scramble.h"
#include "platform/FileSystem.h"

namespace {
// A profile's save or the score table fits: the bytes are taken in one
// block rather than grown into.
constexpr std::size_t kFirstRoom = 4096;
} // namespace

CPFileWriter::CPFileWriter(const std::string& fileName, bool scrambled)
    : m_fileName(fileName), m_scrambled(scrambled)
{
    m_data.reserve(kFirstRoom);
}

HResult CPFileWriter::WriteBytes(const void* source, std::int32_t count)
{
    if (count < 1)
        return S_OK;
    const auto* bytes = static_cast<const std::uint8_t*>(source);
    m_data.insert(m_data.end(), bytes, bytes + count);
    return S_OK;
}

void CPFileWriter::WriteInt(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                   static_cast<std::uint8_t>(bits >> 16),
                                   static_cast<std::uint8_t>(bits >> 24)};
    WriteBytes(bytes, 4);
}

void CPFileWriter::WriteFloat(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    WriteInt(static_cast<std::int32_t>(bits));
}

void CPFileWriter::WriteString(const std::string& text)
{
    WriteInt(static_cast<std::int32_t>(text.size()));
    WriteBytes(text.data(), static_cast<std::int32_t>(text.size()));
}

HResult CPFileWriter::Save()
{
    bool saved = false;
    if (m_scrambled) {
        std::vector<std::uint8_t> scrambled = m_data;
        ScrambleBuffer(scrambled.data(), scrambled.size());
        saved = platform::ReplaceFileContents(m_fileName, scrambled.data(), scrambled.size());
    } else {
        saved = platform::ReplaceFileContents(m_fileName, m_data.data(), m_data.size());
    }
    if (saved)
        return S_OK;
    LogLine("Cannot write the file \"" + m_fileName + "\": it was left as it was");
    return E_FAIL;
}
