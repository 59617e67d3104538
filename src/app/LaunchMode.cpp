#include "app/LaunchMode.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool BuildHasWindow()
{
#if RS_HAVE_WINDOW
    return true;
#else
    return false;
#endif
}

} // namespace

LaunchMode LaunchMode::Choose(bool headlessAsked)
{
    LaunchMode mode;
    mode.headlessAsked = headlessAsked;
    mode.display = Environment("DISPLAY");
    if (mode.display.empty())
        mode.display = Environment("WAYLAND_DISPLAY");
    mode.window = !headlessAsked && !mode.display.empty() && BuildHasWindow();
    return mode;
}

std::vector<std::string> LaunchMode::GameArguments(const std::vector<std::string>& given) const
{
    std::vector<std::string> arguments = given;
    const bool asked = std::find(given.begin(), given.end(), "--window") != given.end() ||
                       std::find(given.begin(), given.end(), "--screenshot") != given.end();
    if (window && !asked)
        arguments.insert(arguments.begin(), "--window");
    return arguments;
}

std::string LaunchMode::Describe() const
{
    if (window)
        return "Start Game opens the game in a window on display " + display + ".";
    if (headlessAsked)
        return "Start Game runs the game headless, as asked (--headless).";
    if (!BuildHasWindow())
        return "Start Game runs the game headless: this build has no window device.";
    return "Start Game runs the game headless: no display is set (DISPLAY or WAYLAND_DISPLAY).";
}
