#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "platform/RiffFile.h"
#include "platform/SoundTypes.h"

// Reads the samples of a WAVE file: its format from the "fmt " chunk and
// its sample bytes from the "data" chunk, in order, as often as asked
// (Rewind starts over). The file is read whole through the data-file
// reader, so it may come from disk or from a pack file.
class CPWaveReader {
  public:
    static constexpr std::uint32_t kModeRead = 1;
    // Answered by Read and Rewind when no file is open.
    static constexpr HResult kNotOpen = static_cast<HResult>(0x800401F0u);

    CPWaveReader() = default;
    ~CPWaveReader();
    CPWaveReader(const CPWaveReader&) = delete;
    CPWaveReader& operator=(const CPWaveReader&) = delete;

    // Opens a file for reading (the only mode there is) and positions at
    // its first sample. Any missing, truncated or malformed file gives
    // E_FAIL with a line in the log naming the file and the reason.
    HResult Open(const std::string& path, std::uint32_t mode);
    // Bytes of sample data; 0 when no file is open.
    std::uint32_t GetSize() const { return m_dataSize; }
    // Back to the first sample.
    HResult Rewind();
    // Copies up to `count` of the remaining sample bytes; *read receives
    // how many.
    HResult Read(std::uint8_t* destination, std::uint32_t count, std::uint32_t* read);
    HResult Close();

    // The stream's format; null until a file was opened. It stays after
    // Close and goes with the next Open or the reader.
    const platform::WaveFormat* GetFormat() const { return m_format.get(); }
    // The format-specific bytes after the record (non-PCM formats).
    const std::vector<std::uint8_t>& GetFormatExtra() const { return m_formatExtra; }
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& GetPath() const { return m_path; }

  private:
    HResult ReadHeader();
    HResult FindData();
    HResult Fail(const std::string& reason);

    std::unique_ptr<platform::WaveFormat> m_format;
    std::vector<std::uint8_t> m_formatExtra;
    std::unique_ptr<platform::RiffFile> m_file;
    platform::ChunkInfo m_dataChunk;
    platform::ChunkInfo m_riffChunk;
    std::uint32_t m_dataSize = 0;
    std::uint32_t m_remaining = 0;
    std::uint32_t m_mode = 0;
    std::string m_path;
};
