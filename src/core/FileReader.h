#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/Result.h"

namespace platform {
class ReadOnlyFile;
}

// Reads a data file whole into memory, from disk or, when it is not on
// disk, from the first pack file that holds it; then hands out its
// little-endian fields in order. Reads never leave the loaded bytes: one
// that would gives zeros (or "") and sets a sticky error the loader can
// check once at the end.
class CPFileReader {
  public:
    // The name is lower-cased; nothing is read yet.
    CPFileReader(const std::string& fileName, bool scrambled);
    virtual ~CPFileReader() = default;

    // Loads the whole file: S_OK, or E_FAIL (with a line in the log) when
    // it is missing or cannot be read whole (an empty file loads empty).
    HResult Load();
    // The same, but a file that is neither on disk nor in any pack fails
    // without a line in the log: for callers to whom an absent file is a
    // normal answer (a free save slot, a name that may be no file at all).
    HResult LoadIfPresent();

    const std::uint8_t* GetData() const { return m_data.get(); }
    std::uint32_t GetDataSize() const { return m_dataSize; }
    const std::string& GetFileName() const { return m_fileName; }

    // Copies count bytes at the cursor into destination, which holds count
    // bytes. Past the end the destination is zero-filled, the cursor goes
    // to the end and E_FAIL is returned.
    HResult ReadBytes(void* destination, std::size_t count);
    std::int32_t ReadInt();
    float ReadFloat();
    // An int32 length, then that many bytes; the text ends at the first
    // zero byte among them. A negative length or one beyond the data gives
    // "" and moves the cursor to the end.
    std::string ReadString();

    std::uint32_t GetPosition() const { return m_cursor; }
    std::uint32_t GetRemaining() const { return m_cursor < m_dataSize ? m_dataSize - m_cursor : 0; }
    // True once any read ran past the loaded bytes.
    bool HasReadError() const { return m_readError; }

  private:
    HResult LoadFromDisk(std::FILE* file);
    HResult LoadFromPack();
    HResult ReadWhole(std::FILE* file, std::uint32_t size, const std::string& where);
    // Makes the buffer for size bytes; E_FAIL when there is no memory.
    HResult MakeBuffer(std::uint32_t size, const std::string& where);
    // After got of the size bytes arrived: zeros where nothing did.
    HResult FinishRead(std::size_t got, const std::string& where);
    HResult Fail(const std::string& reason);
    HResult Missing(const std::string& reason);
    void MarkOverrun();

    std::string m_fileName;
    bool m_scrambled = false;
    // Left uninitialised when allocated: the read fills it at once.
    std::unique_ptr<std::uint8_t[]> m_data;
    std::uint32_t m_dataSize = 0;
    std::uint32_t m_cursor = 0;
    bool m_readError = false;
    bool m_quietWhenMissing = false;
};
