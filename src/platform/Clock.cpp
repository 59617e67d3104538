#include "platform/Clock.h"

#include <chrono>
#include <utility>

namespace platform {
namespace {

const std::chrono::steady_clock::time_point g_start = std::chrono::steady_clock::now();

std::function<std::uint32_t()>& Source()
{
    static std::function<std::uint32_t()> source;
    return source;
}

} // namespace

std::uint32_t Milliseconds()
{
    if (Source())
        return Source()();
    auto elapsed = std::chrono::steady_clock::now() - g_start;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    return static_cast<std::uint32_t>(ms);
}

void SetClockSource(std::function<std::uint32_t()> source) { Source() = std::move(source); }

std::function<std::uint32_t()> GetClockSource() { return Source(); }

} // namespace platform
