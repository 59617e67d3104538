#pragma once

#include "platform/Result.h"

extern const char* const kSettingsFileName;

// Writes config.cfg through the settings store, with the launcher's
// settings in it: the video options and the window mode chosen. A store is
// made for the launcher when the program has none. A failed write is in
// the log.
HResult WriteLauncherSettings();

// Lets go of the store the launcher made, if it made one.
void ReleaseLauncherSettings();
