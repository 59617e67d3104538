#pragma once

#include <cstdint>

#include "platform/Dialog.h"

// The Options dialog: Bloom and Motion Blur boxes whose states OK commits
// to the settings and writes to config.cfg; Motion Blur can be changed only
// while Bloom is on. Lens Flare and Smoke are shown as set, never
// committed. Cancel ends with 2 and closing with 1002, both changing
// nothing.
bool OptionsDialogProc(platform::Dialog& dialog, platform::DialogMessage message, std::uintptr_t wParam,
                       std::intptr_t lParam);

// Fills the boxes and the states from the settings.
void InitOptionsDialog(platform::Dialog& dialog);

// The values OK commits, 0 or 1.
extern std::int32_t OptionsMotionBlurState;
extern std::int32_t OptionsBloomState;
