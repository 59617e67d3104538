// The program a user starts: the launcher dialog, in the terminal, which
// starts the game host or opens the statistics page.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/LaunchMode.h"
#include "core/Log.h"
#include "launcher/LauncherApp.h"
#include "launcher/LauncherSettings.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedFrontEnd.h"
#include "platform/Shell.h"
#include "platform/TerminalFrontEnd.h"
#include "platform/RecordingShell.h"

namespace {

struct Options {
    std::vector<std::string> choices;
    std::string recordFile;
    std::string dataRoot;
    std::vector<std::string> gameArguments;
    bool headless = false;
};

void PrintUsage(const char* program)
{
    std::printf("Usage: %s [--choose TEXT]... [--data DIR] [--record-shell FILE] [--headless]\n"
                "          [--help] [-- GAME OPTIONS...]\n"
                "Shows the launcher dialog in the terminal: pick a button by its text or\n"
                "its first letter; the end of the input closes the dialog. Start Game\n"
                "starts the game host beside this program and waits for it; Exit or\n"
                "closing opens the statistics page. The game opens in a window when a\n"
                "display is set (DISPLAY or WAYLAND_DISPLAY), else it runs headless.\n"
                "  --choose TEXT        press the button TEXT without asking (repeatable)\n"
                "  --data DIR           the data folder: config.cfg is written there and\n"
                "                       the game is started on it\n"
                "  --record-shell FILE  note the game start or the page in FILE instead\n"
                "  --headless           the game runs headless even with a display\n"
                "  -- GAME OPTIONS      handed to the game host (see its --help)\n",
                program);
}

// 0 when the arguments are good, 1 when help was asked for, 2 on a bad one.
int ParseArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            PrintUsage(argv[0]);
            return 1;
        }
        if (std::strcmp(arg, "--") == 0) {
            options.gameArguments.assign(argv + i + 1, argv + argc);
            return 0;
        }
        if (std::strcmp(arg, "--choose") == 0 && i + 1 < argc) {
            options.choices.push_back(argv[++i]);
            continue;
        }
        if (std::strcmp(arg, "--data") == 0 && i + 1 < argc) {
            options.dataRoot = argv[++i];
            continue;
        }
        if (std::strcmp(arg, "--headless") == 0) {
            options.headless = true;
            continue;
        }
        if (std::strcmp(arg, "--record-shell") == 0 && i + 1 < argc) {
            options.recordFile = argv[++i];
            continue;
        }
        std::fprintf(stderr, "Unknown argument \"%s\"\n", arg);
        PrintUsage(argv[0]);
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C");
    Options options;
    int parsed = ParseArguments(argc, argv, options);
    if (parsed != 0)
        return parsed == 1 ? 0 : 2;

    platform::SystemShell systemShell(std::cout);
    std::unique_ptr<platform::RecordingShell> recordingShell;
    if (!options.recordFile.empty())
        recordingShell = std::make_unique<platform::RecordingShell>(options.recordFile);
    platform::SetShell(recordingShell ? static_cast<platform::Shell*>(recordingShell.get()) : &systemShell);

    platform::TerminalFrontEnd terminal(std::cin, std::cout);
    platform::ScriptedFrontEnd scripted;
    for (const std::string& choice : options.choices)
        scripted.Choose(choice);
    platform::SetDialogFrontEnd(options.choices.empty() ? static_cast<platform::DialogFrontEnd*>(&terminal)
                                                        : &scripted);
    // The launcher writes config.cfg whole, so what it was before is kept.
    LoadLauncherSettings((options.dataRoot.empty() ? std::string(".") : options.dataRoot) + "/config.cfg");
    const LaunchMode mode = LaunchMode::Choose(options.headless);
    std::cout << mode.Describe() << std::endl;
    std::vector<std::string> gameArguments = mode.GameArguments(options.gameArguments);
    if (!options.dataRoot.empty()) {
        platform::SetDataRoot(options.dataRoot);
        gameArguments.insert(gameArguments.begin(), {"--data", options.dataRoot});
    }
    SetGameArguments(gameArguments);

    int code = LauncherMain();
    if (code != 0)
        std::fprintf(stderr, "The launcher could not start the game or open the page; see %s\n",
                     GetLogFilePath().c_str());
    if (scripted.HasFailed()) {
        std::fprintf(stderr, "--choose: %s\n", scripted.GetError().c_str());
        LogLine("Launcher: --choose: " + scripted.GetError());
        code = 2;
    }
    int gameCode = systemShell.WaitForPrograms();
    if (code == 0)
        code = gameCode;

    platform::SetDialogFrontEnd(nullptr);
    platform::SetShell(nullptr);
    return code;
}
