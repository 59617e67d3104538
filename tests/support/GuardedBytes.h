#pragma once

#include <cstddef>
#include <string>

// Bytes placed at the very end of readable pages, before a page that
// cannot be read: a read past them stops the program. TinyXML is the
// system's library, which the sanitizers do not look into, so this is how
// a read past its text shows.
class GuardedBytes {
  public:
    explicit GuardedBytes(const std::string& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    // Null when the pages could not be had.
    const char* Data() const { return m_data; }

  private:
    char* m_pages = nullptr;
    char* m_data = nullptr;
    std::size_t m_size = 0;
};
