#pragma once

#include <cstdint>

// How the stepping answers a contact between two geometry classes: a
// symmetric 64 x 64 table plus one default entry per class. Every entry
// starts at 1.
class PhResponseTable {
  public:
    static constexpr int kClassCount = 64;
    static constexpr std::int32_t kInitialResponse = 1;

    PhResponseTable();

    // i and j are classes 0..63 or -1. Both in range set (i, j) and (j, i);
    // one of them -1 sets the default entry of the other; both -1, or a
    // class out of range, change nothing.
    void Set(int i, int j, std::int32_t response);

    // Reads back what Set stores under the same arguments. Arguments that
    // Set would ignore read the initial response.
    std::int32_t Get(int i, int j) const;

  private:
    static bool InRange(int c) { return c >= 0 && c < kClassCount; }

    std::int32_t m_entries[kClassCount][kClassCount];
    std::int32_t m_defaults[kClassCount];
};
