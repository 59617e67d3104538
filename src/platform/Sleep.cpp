#include "platform/Sleep.h"

#include <chrono>
#include <thread>

namespace platform {
namespace {

std::function<void(std::uint32_t)>& SleepOverride()
{
    static std::function<void(std::uint32_t)> sleep;
    return sleep;
}

} // namespace

void SleepMilliseconds(std::uint32_t milliseconds)
{
    if (SleepOverride()) {
        SleepOverride()(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetSleepFunction(std::function<void(std::uint32_t)> sleep) { SleepOverride() = std::move(sleep); }

std::function<void(std::uint32_t)> GetSleepFunction() { return SleepOverride(); }

} // namespace platform
