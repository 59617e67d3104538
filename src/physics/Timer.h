#pragma once

#include <cstdint>

// The simulator's high-resolution timing record: a monotonic tick counter,
// the measured cost of one empty read, and the size of the counter's
// frequency. The stepping uses it to time its own work.
class PhTimer {
  public:
    // Measures the cost of one empty counter read 20 times (each attempt
    // starting from 200 ticks) and keeps the smallest non-negative result.
    void Calibrate();

    static std::int64_t ReadTicks();
    static std::int64_t GetFrequency();

    std::int64_t GetReadCost() const { return m_readCost; }
    // Significant bits of the upper 32 bits of the frequency.
    int GetFrequencyHighBits() const { return m_frequencyHighBits; }

  private:
    std::int64_t m_readCost = 0;
    int m_frequencyHighBits = 0;
};
