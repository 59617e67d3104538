#pragma once

#include <cstdint>

#include "platform/GraphicsTypes.h"

namespace platform {

// The scene bracket and the loss state every graphics device keeps, with
// the answers all of them give, so the engine meets one behaviour
// whichever device draws.
class FrameState {
  public:
    enum class Status : std::uint8_t { Operational, Lost, NotReset };

    // Opens the scene; kInvalidCall inside one.
    HResult BeginScene();
    // Closes the scene; kInvalidCall outside one.
    HResult EndScene();
    bool IsInScene() const { return m_inScene; }
    // Whether the frame may be shown: kInvalidCall inside a scene,
    // kDeviceLost while the device does not work.
    HResult CheckPresent() const;

    Status GetStatus() const { return m_status; }
    // A device that does not work takes calls and does nothing with them.
    bool IsOperational() const { return m_status == Status::Operational; }
    // kDeviceLost while lost, kDeviceNotReset once it may be reset, S_OK
    // while it works.
    HResult TestCooperativeLevel() const;
    // The device is lost and may not be reset yet.
    void Lose() { m_status = Status::Lost; }
    // A lost device may now be reset.
    void AllowReset();
    // Whether a reset may go ahead: kDeviceLost while lost; kInvalidCall
    // while default-pool resources live, and the device then waits for a
    // reset even if it worked.
    HResult CheckReset(bool defaultResourcesLive);
    // A reset went ahead: out of any scene, and working.
    void Restart();

  private:
    Status m_status = Status::Operational;
    bool m_inScene = false;
};

// Clear flags name the target, the depth buffer or the stencil, and
// nothing else.
bool AreClearFlags(std::uint32_t flags);

} // namespace platform
