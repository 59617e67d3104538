#include "Render/DeviceListener.h"

#include <algorithm>
#include <vector>

namespace {

// Created on first use, so it exists before any listener and, being
// finished before that listener's constructor is, is destroyed after it.
std::list<CPDeviceListener*>& Listeners()
{
    static std::list<CPDeviceListener*> listeners;
    return listeners;
}

template <class Call> void Notify(Call call)
{
    const std::vector<CPDeviceListener*> snapshot(Listeners().begin(), Listeners().end());
    for (CPDeviceListener* listener : snapshot) {
        const auto& live = Listeners();
        if (std::find(live.begin(), live.end(), listener) != live.end())
            call(listener);
    }
}

} // namespace

CPDeviceListener::CPDeviceListener() : m_entry(Listeners().insert(Listeners().end(), this)) {}

CPDeviceListener::CPDeviceListener(const CPDeviceListener&) : CPDeviceListener() {}

CPDeviceListener::~CPDeviceListener() { Listeners().erase(m_entry); }

const std::list<CPDeviceListener*>& GetDeviceListeners() { return Listeners(); }

void NotifyDeviceLost()
{
    Notify([](CPDeviceListener* listener) { listener->OnLostDevice(); });
}

void NotifyDeviceReset()
{
    Notify([](CPDeviceListener* listener) { listener->OnResetDevice(); });
}
