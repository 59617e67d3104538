#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "Render/VertexEffect.h"

// The vertex effects of one renderable, applied in order. The chain owns
// its effects: a copy holds clones in the same state, and an assignment
// frees the effects it held before.
class CPVertexEffectChain {
  public:
    CPVertexEffectChain() = default;
    CPVertexEffectChain(const CPVertexEffectChain& other);
    CPVertexEffectChain& operator=(const CPVertexEffectChain& other);
    CPVertexEffectChain(CPVertexEffectChain&&) noexcept = default;
    CPVertexEffectChain& operator=(CPVertexEffectChain&&) noexcept = default;
    ~CPVertexEffectChain() = default;

    // Appends an effect; null is ignored.
    void Add(std::unique_ptr<CPVertexEffect> effect);
    void Clear() { m_effects.clear(); }

    bool IsEmpty() const { return m_effects.empty(); }
    std::size_t GetSize() const { return m_effects.size(); }
    CPVertexEffect* Get(std::size_t index) const { return m_effects[index].get(); }

    // The first effect reads `in` and writes `out`; every later one works
    // on `out` in place. An empty chain copies in to out.
    void Apply(CPMeshVertex* out, const CPMeshVertex* in, int count);
    // Every effect back to its start state.
    void Reset();

  private:
    std::vector<std::unique_ptr<CPVertexEffect>> m_effects;
};
