#include "core/SettingsFile.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>

#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/StringUtils.h"

const char* const kScreenWidthKey = "ScreenWidth";
const char* const kScreenHeightKey = "ScreenHeight";
const char* const kFullscreenKey = "Fullscreen";

namespace {

bool ParseWhole(const std::string& text, std::int32_t* value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < -2147483647L || parsed > 2147483647L)
        return false;
    *value = static_cast<std::int32_t>(parsed);
    return true;
}

// The whole-number values of the file by key; lines that are not
// "key = number" are left out.
std::map<std::string, std::int32_t> ReadValues(std::ifstream& file)
{
    std::map<std::string, std::int32_t> values;
    std::string line;
    while (std::getline(file, line)) {
        std::string key, text;
        std::int32_t value = 0;
        if (SplitKeyValue(line, key, text) && !key.empty() && ParseWhole(text, &value))
            values[key] = value;
    }
    return values;
}

void Take(const std::map<std::string, std::int32_t>& values, const char* key, std::int32_t& variable)
{
    auto found = values.find(key);
    if (found != values.end())
        variable = found->second;
}

} // namespace

bool IsScreenSizeAllowed(std::int32_t width, std::int32_t height)
{
    return width >= kMinScreenWidth && width <= kMaxScreenWidth && height >= kMinScreenHeight &&
           height <= kMaxScreenHeight;
}

bool ReadSettingsFile(const std::string& path, GameSettings& settings, std::int32_t* fullscreen)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    const std::map<std::string, std::int32_t> values = ReadValues(file);
    std::int32_t width = settings.screenWidth, height = settings.screenHeight;
    Take(values, kScreenWidthKey, width);
    Take(values, kScreenHeightKey, height);
    if (IsScreenSizeAllowed(width, height)) {
        settings.screenWidth = width;
        settings.screenHeight = height;
    } else {
        LogLine(path + ": the screen size " + std::to_string(width) + " x " + std::to_string(height) +
                " is not one the game can draw; it stays " + std::to_string(settings.screenWidth) + " x " +
                std::to_string(settings.screenHeight));
    }
    Take(values, "Bloom", settings.bloom);
    Take(values, "MotionBlur", settings.motionBlur);
    Take(values, "LensFlare", settings.lensFlare);
    Take(values, "Smoke", settings.smoke);
    if (fullscreen)
        Take(values, kFullscreenKey, *fullscreen);
    return true;
}

bool ParseScreenSize(const std::string& text, std::int32_t* width, std::int32_t* height)
{
    const std::size_t cross = text.find('x');
    std::int32_t w = 0, h = 0;
    if (cross == std::string::npos || !ParseWhole(text.substr(0, cross), &w) ||
        !ParseWhole(text.substr(cross + 1), &h) || !IsScreenSizeAllowed(w, h))
        return false;
    *width = w;
    *height = h;
    return true;
}
