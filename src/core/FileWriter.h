#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Result.h"

// Builds a binary file in memory from little-endian fields and writes it
// whole, scrambled when asked. The name is kept as given.
class CPFileWriter {
  public:
    CPFileWriter(const std::string& fileName, bool scrambled);
    virtual ~CPFileWriter() = default;

    // Appends count bytes; a count below 1 appends nothing. Returns S_OK.
    HResult WriteBytes(const void* source, std::int32_t count);
    void WriteInt(std::int32_t value);
    void WriteFloat(float value);
    // The length as an int32, then the bytes (no terminating zero).
    void WriteString(const std::string& text);

    // Writes the buffer to the file, replacing it whole or not at all; the
    // buffer itself stays plain, so saving twice writes the same bytes.
    // E_FAIL (with a line in the log) when the file cannot be written.
    HResult Save();

    const std::vector<std::uint8_t>& GetBuffer() const { return m_data; }
    const std::string& GetFileName() const { return m_fileName; }

  private:
    std::vector<std::uint8_t> m_data;
    std::string m_fileName;
    bool m_scrambled = false;
};
