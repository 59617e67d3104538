#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Result.h"

class CPWebHost;

// The launcher's application object. Creating it publishes it as the
// launcher application; deleting it clears that again.
class CPLauncherApp {
  public:
    CPLauncherApp();
    virtual ~CPLauncherApp();

    CPLauncherApp(const CPLauncherApp&) = delete;
    CPLauncherApp& operator=(const CPLauncherApp&) = delete;

    // Shows the launcher dialog, takes the web page down, then starts the
    // game (Start Game or a start mode) or opens the statistics page
    // (anything else). Returns the result of that last request; a failure
    // is written to the log. Both arguments are unused.
    HResult RunLauncher(void* instance, int showCommand);
};

CPLauncherApp* GetLauncherApp();

// The web host of the launcher dialog while it is shown; null otherwise.
CPWebHost* GetLauncherWebHost();
void SetLauncherWebHost(CPWebHost* host);

// Set once the launcher has finished; the scripts' text setters do nothing
// while it is set.
extern std::uint8_t ExitingFlag;

// Arguments handed to the game when the launcher starts it, and the folder
// its executable is looked for in (empty: beside the launcher).
void SetGameArguments(const std::vector<std::string>& arguments);
const std::vector<std::string>& GetGameArguments();
void SetGameFolder(const std::string& folder);
const std::string& GetGameFolder();

// True for the dialog results that start the game: Start Game and the two
// start modes.
bool IsGameStartResult(int dialogResult);

// The program's entry: starts the component runtime, runs the launcher,
// sets the exiting flag, deletes the application object and ends the
// runtime. 0 when the last request succeeded, 1 when it failed.
int LauncherMain();

extern const char* const kGameExecutable;
extern const char* const kStatsPageAddress;
