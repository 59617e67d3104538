#pragma once

#include <functional>
#include <utility>

// How much game time each frame steps. Headless, every frame is the same
// fixed step, so a seeded run repeats byte for byte whatever the machine's
// speed. In a window a frame steps by how long the last one really took, so
// the game keeps real time at any frame rate; a stall (a dragged window, a
// level loading inside a frame) is cut short rather than handed on whole.
class FramePacer {
  public:
    // Seconds on a clock that never goes back.
    using Clock = std::function<double()>;
    // Waits about that many seconds.
    using Sleep = std::function<void(double)>;

    // The longest frame time handed on. The physics takes at most this much
    // per frame as well, so nothing the frame moves gets ahead of it.
    static constexpr float kMaxFrameTime = 0.1f;

    // Every frame steps `fixedStep`.
    explicit FramePacer(float fixedStep);
    // Frames step by the clock. The first frame, which has no last one,
    // steps `firstStep`. With `maxFrameRate` above 0, a frame that comes
    // sooner than 1 / maxFrameRate after the last waits out the rest.
    FramePacer(float firstStep, Clock clock, Sleep sleep, int maxFrameRate);

    // The steady clock of the machine and a sleeping wait.
    static Clock SystemClock();
    static Sleep SystemSleep();

    // Once before each frame: waits as the frame-rate cap asks, then gives
    // the seconds the frame steps.
    float NextFrame();
    bool IsMeasured() const { return static_cast<bool>(m_clock); }

  private:
    float m_fixedStep;
    Clock m_clock;
    Sleep m_sleep;
    double m_shortestFrame = 0.0;
    double m_last = 0.0;
    bool m_started = false;
};
