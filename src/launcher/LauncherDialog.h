#pragma once

#include <cstdint>

#include "platform/Dialog.h"

// The dialog procedure of the launcher dialog: on Init it titles and
// centres the dialog and puts the web page in its frame; its buttons end
// it with their numbers (the start modes after writing config.cfg) or open
// the Options dialog; closing it is the same as Exit.
bool LauncherDialogProc(platform::Dialog& dialog, platform::DialogMessage message, std::uintptr_t wParam,
                        std::intptr_t lParam);

// 0 for windowed, 1 for fullscreen, as the start-mode buttons chose.
extern std::int32_t FullscreenChoice;

extern const char* const kLauncherTitle;
