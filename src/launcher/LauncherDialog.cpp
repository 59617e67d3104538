#include "launcher/LauncherDialog.h"

#include "launcher/DialogCentring.h"
#include "launcher/LauncherApp.h"
#include "launcher/LauncherResources.h"
#include "launcher/LauncherSettings.h"
#include "launcher/OptionsDialog.h"
#include "launcher/WebHost.h"
#include "platform/Component.h"

const char* const kLauncherTitle = "Vex Road Sprint";

std::int32_t FullscreenChoice = 0;

namespace {

void InitLauncherDialog(platform::Dialog& dialog)
{
    dialog.SetText(kLauncherTitle);
    CentreOnScreen(dialog);
    platform::StartEmbedding();
    platform::Window* frame = dialog.GetItem(kWebFrame);
    auto* host = new CPWebHost();
    SetLauncherWebHost(host);
    host->CreateWebView(frame);
}

void StartInMode(platform::Dialog& dialog, std::int32_t fullscreen, int button)
{
    FullscreenChoice = fullscreen;
    WriteLauncherSettings();
    dialog.End(button);
}

void HandleCommand(platform::Dialog& dialog, int id)
{
    switch (id) {
    case kStartGameButton:
    case kExitButton:
        dialog.End(id);
        break;
    case kOptionsButton:
        platform::LoadCommonControls();
        platform::RunModalDialog(kOptionsDialogId, &dialog, OptionsDialogProc);
        break;
    case kWindowedButton:
        StartInMode(dialog, 0, id);
        break;
    case kFullscreenButton:
        StartInMode(dialog, 1, id);
        break;
    default:
        break;
    }
}

} // namespace

bool LauncherDialogProc(platform::Dialog& dialog, platform::DialogMessage message, std::uintptr_t wParam,
                        std::intptr_t)
{
    switch (message) {
    case platform::DialogMessage::Init:
        InitLauncherDialog(dialog);
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
