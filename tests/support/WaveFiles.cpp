#include "support/WaveFiles.h"

void AppendU16(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
}

namespace {

void AppendId(std::vector<std::uint8_t>& bytes, const std::string& id)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.push_back(i < id.size() ? static_cast<std::uint8_t>(id[i]) : ' ');
}

} // namespace

RiffBuilder& RiffBuilder::Chunk(const std::string& id, const std::vector<std::uint8_t>& data)
{
    return ChunkDeclaring(id, static_cast<std::uint32_t>(data.size()), data);
}

RiffBuilder& RiffBuilder::ChunkDeclaring(const std::string& id, std::uint32_t declaredSize,
                                         const std::vector<std::uint8_t>& data)
{
    AppendId(m_body, id);
    AppendU32(m_body, declaredSize);
    m_body.insert(m_body.end(), data.begin(), data.end());
    if (data.size() % 2 == 1 && declaredSize == data.size())
        m_body.push_back(0);
    return *this;
}

std::vector<std::uint8_t> RiffBuilder::Build(const std::string& formType) const
{
    std::vector<std::uint8_t> bytes;
    AppendId(bytes, "RIFF");
    AppendU32(bytes, static_cast<std::uint32_t>(m_body.size() + 4));
    AppendId(bytes, formType);
    bytes.insert(bytes.end(), m_body.begin(), m_body.end());
    return bytes;
}

std::vector<std::uint8_t> FormatRecord(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                       std::uint16_t bits)
{
    const auto blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    std::vector<std::uint8_t> bytes;
    AppendU16(bytes, tag);
    AppendU16(bytes, channels);
    AppendU32(bytes, rate);
    AppendU32(bytes, rate * blockAlign);
    AppendU16(bytes, blockAlign);
    AppendU16(bytes, bits);
    return bytes;
}

std::vector<std::uint8_t> ExtendedFormatRecord(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                               std::uint16_t bits, const std::vector<std::uint8_t>& extra)
{
    std::vector<std::uint8_t> bytes = FormatRecord(tag, channels, rate, bits);
    AppendU16(bytes, static_cast<std::uint16_t>(extra.size()));
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    return bytes;
}

std::vector<std::uint8_t> MakeWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                   const std::vector<std::uint8_t>& samples)
{
    return RiffBuilder().Chunk("fmt ", FormatRecord(1, channels, rate, bits)).Chunk("data", samples).Build();
}

std::vector<std::uint8_t> RampBytes(std::size_t count, std::uint8_t first)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}
