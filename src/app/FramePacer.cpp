#include "app/FramePacer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

FramePacer::FramePacer(float fixedStep) : m_fixedStep(fixedStep) {}

FramePacer::FramePacer(float firstStep, Clock clock, Sleep sleep, int maxFrameRate)
    : m_fixedStep(firstStep), m_clock(std::move(clock)), m_sleep(std::move(sleep)),
      m_shortestFrame(maxFrameRate > 0 ? 1.0 / maxFrameRate : 0.0)
{
}

FramePacer::Clock FramePacer::SystemClock()
{
    return [] {
        using Seconds = std::chrono::duration<double>;
        return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
}

FramePacer::Sleep FramePacer::SystemSleep()
{
    return [](double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); };
}

float FramePacer::NextFrame()
{
    if (!m_clock)
        return m_fixedStep;
    double now = m_clock();
    if (!m_started) {
        m_started = true;
        m_last = now;
        return m_fixedStep;
    }
    if (m_sleep && m_shortestFrame > 0.0 && now >= m_last && now - m_last < m_shortestFrame) {
        m_sleep(m_shortestFrame - (now - m_last));
        now = m_clock();
    }
    const double elapsed = now - m_last;
    m_last = now;
    // A clock that stood still or went back gives a frame of no time, not
    // a negative one.
    if (!(elapsed > 0.0) || !std::isfinite(elapsed))
        return 0.0f;
    return static_cast<float>(std::min(elapsed, static_cast<double>(kMaxFrameTime)));
}
