#pragma once

#include <chrono>

namespace platform {

// Adds the seconds from its making to Stop (or its end) to a sum; does
// nothing without one, so code can time itself only while profiled.
class CostTimer {
  public:
    explicit CostTimer(double* sum) : m_sum(sum)
    {
        if (m_sum)
            m_start = std::chrono::steady_clock::now();
    }
    ~CostTimer() { Stop(); }
    CostTimer(const CostTimer&) = delete;
    CostTimer& operator=(const CostTimer&) = delete;

    void Stop()
    {
        if (!m_sum)
            return;
        *m_sum += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        m_sum = nullptr;
    }

  private:
    double* m_sum;
    std::chrono::steady_clock::time_point m_start;
};

} // namespace platform
