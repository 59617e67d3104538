#include "platform/ByteReader.h"

namespace platform {

bool ByteReader::Fits(std::size_t count)
{
    if (m_failed || count > m_size - m_pos) {
        m_failed = true;
        return false;
    }
    return true;
}

std::uint8_t ByteReader::U8()
{
    if (!Fits(1))
        return 0;
    return m_data[m_pos++];
}

std::uint16_t ByteReader::U16()
{
    if (!Fits(2))
        return 0;
    std::uint16_t value = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
    m_pos += 2;
    return value;
}

std::uint32_t ByteReader::U32()
{
    if (!Fits(4))
        return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | m_data[m_pos + static_cast<std::size_t>(i)];
    m_pos += 4;
    return value;
}

void ByteReader::Skip(std::size_t count)
{
    if (Fits(count))
        m_pos += count;
}

void ByteReader::Seek(std::size_t offset)
{
    if (offset > m_size) {
        m_failed = true;
        return;
    }
    m_pos = offset;
}

const std::uint8_t* ByteReader::Take(std::size_t count)
{
    if (!Fits(count))
        return nullptr;
    const std::uint8_t* start = m_data + m_pos;
    m_pos += count;
    return start;
}

} // namespace platform
