#pragma once

#include <cstdint>
#include <string>

struct GameSettings;

// Keys of config.cfg for the screen, beside the video options the launcher
// writes ("Bloom", "MotionBlur", "LensFlare", "Smoke").
extern const char* const kScreenWidthKey;  // "ScreenWidth"
extern const char* const kScreenHeightKey; // "ScreenHeight"
extern const char* const kFullscreenKey;   // "Fullscreen"

// The screen sizes the game accepts, from config.cfg or the command line.
constexpr std::int32_t kMinScreenWidth = 320, kMinScreenHeight = 200;
constexpr std::int32_t kMaxScreenWidth = 7680, kMaxScreenHeight = 4320;
bool IsScreenSizeAllowed(std::int32_t width, std::int32_t height);

// Reads a settings file of "key = value" lines, as the settings store writes
// them, into the setting variables it names: the screen size, the video
// options and, into *fullscreen when given, the window mode. Values that
// are no whole number are skipped; a screen size the game does not accept
// is refused whole, with a line in the log. False, changing nothing, when
// the file cannot be read (a missing file is no error of the user's: the
// defaults hold).
bool ReadSettingsFile(const std::string& path, GameSettings& settings, std::int32_t* fullscreen);

// "1280x720" as a width and a height the game accepts; false otherwise.
bool ParseScreenSize(const std::string& text, std::int32_t* width, std::int32_t* height);
