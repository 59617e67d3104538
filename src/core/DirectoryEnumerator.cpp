#include "core/DirectoryEnumerator.h"

CPDirectoryEnumerator::CPDirectoryEnumerator(const std::string& pattern) : m_pattern(pattern) {}

CPDirectoryEnumerator::~CPDirectoryEnumerator() { m_search.Close(); }

HResult CPDirectoryEnumerator::FindFirst()
{
    if (!m_search.First(m_pattern, m_findData))
        return E_FAIL;
    m_fileName = m_findData.fileName;
    // Only the first match is ever asked for, so the search ends here.
    m_search.Close();
    return S_OK;
}
