#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Reads little-endian fields from a byte buffer without ever reading past
// its end: a read that does not fit returns 0 and sets the failed flag.
class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    void Skip(std::size_t count);
    void Seek(std::size_t offset);

    // The next `count` bytes, or null (and failed) when fewer remain.
    const std::uint8_t* Take(std::size_t count);

    std::size_t Position() const { return m_pos; }
    std::size_t Remaining() const { return m_size - m_pos; }
    bool Failed() const { return m_failed; }

  private:
    bool Fits(std::size_t count);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

} // namespace platform
