#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "platform/Result.h"

// Finds the first file that matches a search pattern such as
// "Data\Levels\*.lvl" ("*" and "?" in the last component).
class CPDirectoryEnumerator {
  public:
    explicit CPDirectoryEnumerator(const std::string& pattern);
    virtual ~CPDirectoryEnumerator();

    // S_OK with the first match's name (no folder) in GetFileName, or
    // E_FAIL when nothing matches (the name stays empty).
    HResult FindFirst();

    const std::string& GetFileName() const { return m_fileName; }

  private:
    std::string m_pattern;
    platform::FileSearch m_search;
    platform::FindData m_findData;
    std::string m_fileName;
};
