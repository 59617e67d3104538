#include "launcher/OptionsDialog.h"

#include "core/GameSettings.h"
#include "launcher/DialogCentring.h"
#include "launcher/LauncherResources.h"
#include "launcher/LauncherSettings.h"

std::int32_t OptionsMotionBlurState = 0;
std::int32_t OptionsBloomState = 0;

namespace {

int CheckOf(std::int32_t setting) { return setting != 0 ? platform::kChecked : platform::kUnchecked; }

void Commit(platform::Dialog& dialog)
{
    GameSettings& settings = GetGameSettings();
    settings.bloom = OptionsBloomState;
    settings.motionBlur = OptionsMotionBlurState;
    WriteLauncherSettings();
    dialog.End(kOkButton);
}

void OnMotionBlurBox(platform::Dialog& dialog)
{
    int checked = dialog.IsButtonChecked(kMotionBlurBox);
    if (checked == platform::kChecked || checked == platform::kUnchecked)
        OptionsMotionBlurState = checked;
}

// Switching Bloom off only disables the Motion Blur box: its tick and the
// state OK commits stay as they are.
void OnBloomBox(platform::Dialog& dialog)
{
    int checked = dialog.IsButtonChecked(kBloomBox);
    if (checked != platform::kChecked && checked != platform::kUnchecked)
        return;
    OptionsBloomState = checked;
    if (platform::Window* motionBlur = dialog.GetItem(kMotionBlurBox))
        motionBlur->Enable(checked == platform::kChecked);
}

void HandleCommand(platform::Dialog& dialog, int id)
{
    switch (id) {
    case kOkButton:
        Commit(dialog);
        break;
    case kCancelButton:
        dialog.End(kCancelButton);
        break;
    case kMotionBlurBox:
        OnMotionBlurBox(dialog);
        break;
    case kBloomBox:
        OnBloomBox(dialog);
        break;
    default:
        break;
    }
}

} // namespace

void InitOptionsDialog(platform::Dialog& dialog)
{
    const GameSettings& settings = GetGameSettings();
    OptionsBloomState = settings.bloom;
    OptionsMotionBlurState = settings.motionBlur;
    dialog.CheckButton(kMotionBlurBox, CheckOf(settings.motionBlur));
    dialog.CheckButton(kBloomBox, CheckOf(settings.bloom));
    if (platform::Window* motionBlur = dialog.GetItem(kMotionBlurBox))
        motionBlur->Enable(settings.bloom != 0);
    dialog.CheckButton(kLensFlareBox, CheckOf(settings.lensFlare));
    dialog.CheckButton(kSmokeBox, CheckOf(settings.smoke));
}

bool OptionsDialogProc(platform::Dialog& dialog, platform::DialogMessage message, std::uintptr_t wParam,
                       std::intptr_t)
{
    switch (message) {
    case platform::DialogMessage::Init:
        InitOptionsDialog(dialog);
        CentreOnScreen(dialog);
        return true;
    case platform::DialogMessage::Command:
        HandleCommand(dialog, platform::LowWord(wParam));
        return true;
    case platform::DialogMessage::Close:
        dialog.End(kExitButton);
        return true;
    default:
        return false;
    }
}
