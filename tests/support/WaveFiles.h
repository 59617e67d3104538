#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds RIFF and WAVE file bytes in tests, chunk by chunk, so a test can
// show exactly which part of a file is wrong.
class RiffBuilder {
  public:
    // A chunk with its true size; odd sizes get their pad byte.
    RiffBuilder& Chunk(const std::string& id, const std::vector<std::uint8_t>& data);
    // A chunk whose size field says `declaredSize` whatever it holds.
    RiffBuilder& ChunkDeclaring(const std::string& id, std::uint32_t declaredSize,
                                const std::vector<std::uint8_t>& data);
    // "RIFF", the size of what follows, the form type, then the chunks.
    std::vector<std::uint8_t> Build(const std::string& formType = "WAVE") const;

  private:
    std::vector<std::uint8_t> m_body;
};

// The 16 bytes of a "fmt " chunk; block align and bytes per second follow
// from the other values.
std::vector<std::uint8_t> FormatRecord(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                       std::uint16_t bits);
// The record followed by an extra-size field and the extra bytes.
std::vector<std::uint8_t> ExtendedFormatRecord(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                               std::uint16_t bits, const std::vector<std::uint8_t>& extra);

// A whole PCM WAVE file holding the samples.
std::vector<std::uint8_t> MakeWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                   const std::vector<std::uint8_t>& samples);

// `count` bytes counting up from `first` (wrapping), so misplaced bytes show.
std::vector<std::uint8_t> RampBytes(std::size_t count, std::uint8_t first = 1);

void AppendU16(std::vector<std::uint8_t>& bytes, std::uint16_t value);
void AppendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value);
