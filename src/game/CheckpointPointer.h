#pragma once

#include "core/Object.h"

class CPGameObject;

// The marker that points the player at the checkpoint to reach next. It
// has two parts (game objects that whoever builds the marker provides):
// with a target both are shown and the first is the current part; without
// one there is no current part and the second part is hidden.
class CPCheckpointPointer {
  public:
    void SetParts(CPObjectPtr first, CPObjectPtr second);
    // A null target means there is nothing left to point at.
    void SetTarget(CPObjectPtr target);
    // Lets go of the target and the parts without touching them (their
    // owner is about to delete them).
    void Clear();

    CPObjectPtr GetTarget() const { return m_target; }
    CPGameObject* GetCurrentPart() const { return m_current; }
    CPGameObject* GetPart(int index) const;

  private:
    CPObjectPtr m_target;
    CPObjectPtr m_parts[2];
    CPGameObject* m_current = nullptr;
};
