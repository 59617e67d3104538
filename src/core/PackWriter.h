#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Result.h"

// Builds a pack file (layout in core/PackFile.h) from named entries.
class CPPackWriter {
  public:
    // Adds an entry under its pack name (see PackEntryName). False when the
    // name is empty, too long or already taken, or when the pack would
    // outgrow 32-bit offsets.
    bool AddEntry(const std::string& fileName, std::vector<std::uint8_t> bytes);

    // Writes header, table and the scrambled entries in the order added.
    HResult Save(const std::string& fileName) const;

    std::size_t GetCount() const { return m_entries.size(); }

  private:
    struct Entry {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };
    std::uint64_t TableSize() const;

    std::vector<Entry> m_entries;
    std::uint64_t m_dataSize = 0;
};
