#pragma once

// Numbers of the launcher's dialogs and their controls.
constexpr int kLauncherDialogId = 101;
constexpr int kStartGameButton = 1000;
constexpr int kOptionsButton = 1001;
constexpr int kExitButton = 1002;
constexpr int kWindowedButton = 1003;
constexpr int kFullscreenButton = 1004;
constexpr int kWebFrame = 1026;

constexpr int kOptionsDialogId = 105;
constexpr int kOkButton = 1;
constexpr int kCancelButton = 2;
constexpr int kMotionBlurBox = 1007;
constexpr int kLensFlareBox = 1008;
constexpr int kBloomBox = 1009;
constexpr int kSmokeBox = 1010;

// Makes the launcher dialog and the Options dialog known by their numbers.
void RegisterLauncherDialogs();
