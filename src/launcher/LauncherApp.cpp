#include "launcher/LauncherApp.h"

#include "core/Log.h"
#include "launcher/LauncherDialog.h"
#include "launcher/LauncherResources.h"
#include "launcher/LauncherSettings.h"
#include "launcher/WebHost.h"
#include "platform/Component.h"
#include "platform/Dialog.h"
#include "platform/Shell.h"

const char* const kGameExecutable = "_exRoadSprint.exe";
const char* const kStatsPageAddress = "https://www.distributor.example/stats/roadsprint.html";

std::uint8_t ExitingFlag = 0;

namespace {

CPLauncherApp* g_launcherApp = nullptr;
CPWebHost* g_webHost = nullptr;

struct GameStart {
    std::vector<std::string> arguments;
    std::string folder;
};

GameStart& Game()
{
    static GameStart game;
    return game;
}

// Takes the page down: the browser is closed and let go before the host
// itself, whose last use deletes it.
void TakeDownWebHost()
{
    CPWebHost* host = GetLauncherWebHost();
    if (!host)
        return;
    SetLauncherWebHost(nullptr);
    host->CloseBrowser();
    host->Release();
}

} // namespace

CPLauncherApp::CPLauncherApp() = default;

CPLauncherApp::~CPLauncherApp() = default;

CPLauncherApp* GetLauncherApp() { return g_launcherApp; }

CPWebHost* GetLauncherWebHost() { return g_webHost; }
void SetLauncherWebHost(CPWebHost* host) { g_webHost = host; }

void SetGameArguments(const std::vector<std::string>& arguments) { Game().arguments = arguments; }
const std::vector<std::string>& GetGameArguments() { return Game().arguments; }
void SetGameFolder(const std::string& folder) { Game().folder = folder; }
const std::string& GetGameFolder() { return Game().folder; }

bool IsGameStartResult(int dialogResult)
{
    return dialogResult == kStartGameButton || dialogResult == kWindowedButton ||
           dialogResult == kFullscreenButton;
}

HResult CPLauncherApp::RunLauncher(void* instance, int showCommand)
{
    (void)instance;
    (void)showCommand;
    RegisterLauncherDialogs();
    int result = platform::RunModalDialog(kLauncherDialogId, nullptr, LauncherDialogProc);
    TakeDownWebHost();
    platform::EndEmbedding();

    platform::ShellRequest request;
    request.verb = "open";
    request.showCommand = platform::kShowNormal;
    if (IsGameStartResult(result)) {
        request.file = kGameExecutable;
        request.parameters = GetGameArguments();
        request.folder = GetGameFolder();
    } else {
        request.file = kStatsPageAddress;
    }
    std::string failure;
    HResult shellResult = platform::ShellOpen(request, &failure);
    if (Failed(shellResult))
        LogLine("Launcher: could not open " + request.file + ": " + failure);
    return shellResult;
}

int LauncherMain()
{
    platform::StartComponents();
    // The entry makes the application object and is the one to name it.
    g_launcherApp = new CPLauncherApp();
    HResult result = g_launcherApp->RunLauncher(nullptr, platform::kShowNormal);
    ExitingFlag = 1;
    delete g_launcherApp;
    g_launcherApp = nullptr;
    ReleaseLauncherSettings();
    platform::EndComponents();
    return Succeeded(result) ? 0 : 1;
}
