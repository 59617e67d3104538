#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Result.h"

// Pack files hold many data files in one. Layout, all little-endian:
//   header  "RSPK", int32 version (1), int32 entry count, int32 table size
//   table   per entry: int32 name length, the name's bytes, uint32 offset
//           (from the start of the pack), uint32 size
//   data    the entries' bytes, each scrambled from its own first byte
// Entry names are lower-case with backslashes between folders
// ("data\levels\level1.lvl"), as data files are named when they are read.
constexpr char kPackMagic[4] = {'R', 'S', 'P', 'K'};
constexpr std::int32_t kPackVersion = 1;
constexpr std::uint32_t kPackHeaderSize = 16;
// The longest entry name a pack may hold; longer ones mark a broken table.
constexpr std::uint32_t kMaxPackEntryName = 259;
// The smallest table record: a length, one name byte, offset and size.
constexpr std::uint32_t kMinPackRecordSize = 4 + 1 + 4 + 4;

struct PackEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct PackTableEntry {
    std::string name;
    PackEntry place;
};

// One pack file of the list: its own name and its index of entries.
struct PackFile {
    std::string fileName;
    std::unordered_map<std::string, PackEntry> index;

    const PackEntry* Find(const std::string& entryName) const;
};

// The name a data file is stored under in a pack: lower-case, backslashes
// between folders, no leading ".\" or "\".
std::string PackEntryName(const std::string& fileName);

// Reads a pack's header and table and checks that every entry lies inside
// the pack. E_FAIL, with a line in the log, for a missing, empty, truncated
// or malformed pack.
HResult ReadPackTable(const std::string& fileName, std::vector<PackTableEntry>& table);

// The packs a data file is looked for in when it is not on disk; earlier
// packs win.
class PackFileList {
  public:
    // Reads the pack's table and appends the pack to the list.
    HResult AddPack(const std::string& fileName);
    // Adds every file that matches a search pattern ("*.pak"), in the
    // order of their names; broken packs are left out (and logged).
    // Returns how many were added.
    int AddPacks(const std::string& pattern);
    void Clear() { m_packs.clear(); }

    bool IsEmpty() const { return m_packs.empty(); }
    const std::vector<PackFile>& GetPacks() const { return m_packs; }

  private:
    std::vector<PackFile> m_packs;
};

PackFileList& GetPackFileList();
