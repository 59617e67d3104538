#pragma once

#include "Render/InstanceDesc.h"
#include "core/Object.h"

// An effect the effect manager can start by name. Each request addressed to
// it starts one instance; ClearInstances ends them all (a level's stop). An
// untracked prototype's spawns stay out of the manager's active list.
class CPEffectPrototype : public CPObject {
  public:
    virtual void SpawnInstance(CPInstanceDesc& instance) = 0;
    virtual void ClearInstances() = 0;
    // Once a frame, for prototypes whose instances move or show on their
    // own.
    virtual void Step(float /*dt*/) {}

    bool IsUntracked() const { return m_untracked; }
    void SetUntracked(bool untracked) { m_untracked = untracked; }

  protected:
    bool m_untracked = false;
};
