#include "platform/FrameState.h"

namespace platform {

HResult FrameState::BeginScene()
{
    if (m_inScene)
        return kInvalidCall;
    m_inScene = true;
    return S_OK;
}

HResult FrameState::EndScene()
{
    if (!m_inScene)
        return kInvalidCall;
    m_inScene = false;
    return S_OK;
}

HResult FrameState::CheckPresent() const
{
    if (m_inScene)
        return kInvalidCall;
    if (!IsOperational())
        return kDeviceLost;
    return S_OK;
}

HResult FrameState::TestCooperativeLevel() const
{
    switch (m_status) {
    case Status::Operational:
        return S_OK;
    case Status::Lost:
        return kDeviceLost;
    case Status::NotReset:
        return kDeviceNotReset;
    }
    return E_FAIL;
}

void FrameState::AllowReset()
{
    if (m_status == Status::Lost)
        m_status = Status::NotReset;
}

HResult FrameState::CheckReset(bool defaultResourcesLive)
{
    if (m_status == Status::Lost)
        return kDeviceLost;
    if (defaultResourcesLive) {
        m_status = Status::NotReset;
        return kInvalidCall;
    }
    return S_OK;
}

void FrameState::Restart()
{
    m_inScene = false;
    m_status = Status::Operational;
}

bool AreClearFlags(std::uint32_t flags)
{
    return flags != 0 && (flags & ~(clear::kTarget | clear::kZBuffer | clear::kStencil)) == 0;
}

} // namespace platform
