#include "launcher/LauncherResources.h"

#include "platform/Dialog.h"

namespace {

using platform::ControlTemplate;
using platform::WindowKind;

platform::DialogTemplate LauncherDialogTemplate()
{
    platform::DialogTemplate dialog;
    dialog.id = kLauncherDialogId;
    dialog.width = 443;
    dialog.height = 331;
    dialog.controls = {
        ControlTemplate{kStartGameButton, WindowKind::PushButton, "Start Game", 7, 310, 90, 14, true, true},
        ControlTemplate{kOptionsButton, WindowKind::PushButton, "Options", 250, 310, 68, 14, false, false},
        ControlTemplate{kExitButton, WindowKind::PushButton, "Exit", 373, 310, 63, 14, true, true},
        ControlTemplate{kWebFrame, WindowKind::Static, "", 7, 7, 429, 298, true, true},
        ControlTemplate{kWindowedButton, WindowKind::PushButton, "Start in windowed mode", 103, 310, 85, 14,
                        false, false},
        ControlTemplate{kFullscreenButton, WindowKind::PushButton, "Start in fullscreen mode", 7, 310, 90, 14,
                        false, false},
    };
    return dialog;
}

platform::DialogTemplate OptionsDialogTemplate()
{
    platform::DialogTemplate dialog;
    dialog.id = kOptionsDialogId;
    dialog.caption = "Options";
    dialog.width = 186;
    dialog.height = 80;
    dialog.controls = {
        ControlTemplate{kOkButton, WindowKind::DefaultPushButton, "OK", 71, 59, 50, 14, true, true},
        ControlTemplate{kCancelButton, WindowKind::PushButton, "Cancel", 129, 59, 50, 14, true, true},
        ControlTemplate{kMotionBlurBox, WindowKind::CheckBox, "Motion Blur", 13, 18, 96, 10, true, true},
        ControlTemplate{kLensFlareBox, WindowKind::CheckBox, "Lens Flare", 13, 32, 49, 10, false, false},
        ControlTemplate{kBloomBox, WindowKind::CheckBox, "Bloom", 123, 18, 35, 10, true, true},
        ControlTemplate{kSmokeBox, WindowKind::CheckBox, "Smoke", 123, 32, 38, 10, false, false},
        ControlTemplate{-1, WindowKind::GroupBox, "Video", 7, 7, 172, 47, true, true},
    };
    return dialog;
}

} // namespace

void RegisterLauncherDialogs()
{
    platform::RegisterDialogTemplate(LauncherDialogTemplate());
    platform::RegisterDialogTemplate(OptionsDialogTemplate());
}
