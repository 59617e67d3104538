#pragma once

#include <string>

#include "platform/Result.h"

extern const char* const kSettingsFileName;

// Writes config.cfg through the settings store, with the launcher's
// settings in it: the video options and the window mode chosen. A store is
// made for the launcher when the program has none. A failed write is in
// the log.
HResult WriteLauncherSettings();

// Takes up the settings file written before (the screen size, the video
// options and the window mode), so that writing it again keeps what the
// launcher does not change. A missing file leaves the defaults.
void LoadLauncherSettings(const std::string& path);

// Lets go of the store the launcher made, if it made one.
void ReleaseLauncherSettings();
