#pragma once

#include <cstdint>

#include "platform/Dialog.h"

// Base of the launcher's window helpers: the window it works in, a use
// count that starts at 1, and an entry for window messages.
class CPMessageHandler {
  public:
    CPMessageHandler() = default;
    virtual ~CPMessageHandler() = default;

    CPMessageHandler(const CPMessageHandler&) = delete;
    CPMessageHandler& operator=(const CPMessageHandler&) = delete;

    virtual std::uint32_t AddRef();
    // Deletes the handler when the count reaches 0 and returns 0; else
    // returns the new count.
    virtual std::uint32_t Release();
    // 1 when the message was handled, 0 otherwise.
    virtual int HandleMessage(platform::DialogMessage message, std::uintptr_t wParam, std::intptr_t lParam,
                              std::intptr_t extra) = 0;

    platform::Window* GetWindow() const { return m_window; }
    std::uint32_t GetUseCount() const { return m_useCount; }

  protected:
    platform::Window* m_window = nullptr;

  private:
    std::uint32_t m_useCount = 1;
};
