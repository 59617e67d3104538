#pragma once

#include <list>

// Base of every object that holds resources the graphics device loses when
// it is reset. Each instance is listed, in construction order, for exactly
// its lifetime, so the reset code can tell them all before and after.
class CPDeviceListener {
  public:
    CPDeviceListener();
    // A copy is a listener of its own and takes its own place in the list.
    CPDeviceListener(const CPDeviceListener&);
    CPDeviceListener& operator=(const CPDeviceListener&) { return *this; }

    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
    virtual ~CPDeviceListener();

  private:
    std::list<CPDeviceListener*>::iterator m_entry;
};

// Every live listener, oldest first.
const std::list<CPDeviceListener*>& GetDeviceListeners();

// Tell every listener that the device is lost, or that it was reset. A
// listener created or destroyed by another's handler is safe: the walk goes
// over the listeners that were live when it began and skips the ones gone.
void NotifyDeviceLost();
void NotifyDeviceReset();
