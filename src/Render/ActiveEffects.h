#pragma once

#include <cstddef>
#include <vector>

class CPObject;

// The effect manager's active list: one counted entry per tracked spawn,
// the same prototype any number of times. The entries are kept as a count
// per prototype, so that a spawn, made many times a frame, takes no memory
// of its own; each entry still takes its reference on the prototype.
class CPActiveEffects {
  public:
    // Room for the kinds of effect a race has running at once, made with
    // the manager rather than when the race first sparks.
    CPActiveEffects() { m_runs.reserve(kRunRoom); }
    ~CPActiveEffects() { Clear(); }
    CPActiveEffects(const CPActiveEffects&) = delete;
    CPActiveEffects& operator=(const CPActiveEffects&) = delete;

    void Add(CPObject* prototype);
    // Releases and drops every entry of the prototype.
    void Forget(const CPObject* prototype);
    // Releases and drops every entry.
    void Clear();
    std::size_t size() const { return m_total; }

  private:
    struct Run {
        CPObject* prototype;
        std::size_t count;
    };
    static constexpr std::size_t kRunRoom = 16;
    std::vector<Run> m_runs;
    std::size_t m_total = 0;
};
