#pragma once

#include "core/Task.h"

// The task the scripts start and stop as their clock of the race: while it
// runs the kernel lists it, and stopping it also clears the frame time so
// the next frame's steps start from rest.
class CPGlobalTimer : public CPTask {
  public:
    static constexpr int kTaskType = 0;

    std::uint32_t GetObjectSize() const override { return sizeof(CPGlobalTimer); }
    std::string GetTypeName() const override { return "CPGlobalTimer - "; }
    // The frame time itself is kept by the kernel; the timer has nothing
    // to add per frame.
    void Step() override {}
    int GetTaskType() const override { return kTaskType; }
};

// The one timer of the game, made with the engine's services; null
// without them.
CPGlobalTimer* GetGlobalTimer();
void SetGlobalTimer(CPGlobalTimer* timer);
