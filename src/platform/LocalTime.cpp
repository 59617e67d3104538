#include "platform/LocalTime.h"

#include <chrono>
#include <ctime>
#include <utility>

namespace platform {
namespace {

std::function<LocalDateTime()>& Source()
{
    static std::function<LocalDateTime()> source;
    return source;
}

LocalDateTime SystemLocalTime()
{
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm parts{};
    localtime_r(&seconds, &parts);
    LocalDateTime result;
    result.year = static_cast<std::uint16_t>(parts.tm_year + 1900);
    result.month = static_cast<std::uint16_t>(parts.tm_mon + 1);
    result.dayOfWeek = static_cast<std::uint16_t>(parts.tm_wday);
    result.day = static_cast<std::uint16_t>(parts.tm_mday);
    result.hour = static_cast<std::uint16_t>(parts.tm_hour);
    result.minute = static_cast<std::uint16_t>(parts.tm_min);
    result.second = static_cast<std::uint16_t>(parts.tm_sec);
    result.milliseconds = static_cast<std::uint16_t>(millis < 0 ? 0 : millis);
    return result;
}

} // namespace

LocalDateTime GetLocalDateTime() { return Source() ? Source()() : SystemLocalTime(); }

void SetLocalTimeSource(std::function<LocalDateTime()> source) { Source() = std::move(source); }

std::function<LocalDateTime()> GetLocalTimeSource() { return Source(); }

} // namespace platform
