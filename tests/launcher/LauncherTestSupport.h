#pragma once

#include <optional>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/GameSettings.h"
#include "core/Log.h"
#include "launcher/LauncherApp.h"
#include "launcher/LauncherDialog.h"
#include "launcher/LauncherResources.h"
#include "launcher/LauncherSettings.h"
#include "platform/CallRecorder.h"
#include "platform/Dialog.h"
#include "platform/ScriptedFrontEnd.h"
#include "platform/RecordingShell.h"
#include "core/ServiceOverride.h"

#include <gtest/gtest.h>

// Notes what the launcher had written and set at the moment it asked for
// the game or the page.
class ObservingShell : public platform::RecordingShell {
  public:
    HResult OpenAddress(const std::string& address, std::string* failure) override
    {
        Observe();
        return RecordingShell::OpenAddress(address, failure);
    }
    HResult StartProgram(const std::string& path, const std::vector<std::string>& arguments,
                         std::string* failure) override
    {
        Observe();
        return RecordingShell::StartProgram(path, arguments, failure);
    }

    bool configExisted = false;
    std::string config;
    int exitingFlag = -1;
    bool appAlive = false;
    bool webHostAlive = true;

  private:
    void Observe()
    {
        std::ifstream in("config.cfg", std::ios::binary);
        configExisted = static_cast<bool>(in);
        std::stringstream text;
        text << in.rdbuf();
        config = text.str();
        exitingFlag = ExitingFlag;
        appAlive = GetLauncherApp() != nullptr;
        webHostAlive = GetLauncherWebHost() != nullptr;
    }
};

// Runs each test in a fresh working folder that holds a stand-in game
// executable, with a scripted user, an observing shell, the log in the
// folder and every launcher global back at its start value.
class LauncherFixture : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rs_launcher_XXXXXX";
        folder = mkdtemp(pattern);
        char cwd[4096];
        oldFolder = getcwd(cwd, sizeof(cwd)) ? cwd : ".";
        ASSERT_EQ(chdir(folder.c_str()), 0);
        std::ofstream(folder + "/_exRoadSprint") << "#!/bin/sh\n";
        chmod((folder + "/_exRoadSprint").c_str(), 0755);
        gamePath = folder + "/_exRoadSprint";

        SetLogFilePath(folder + "/log.txt");
        platform::SetScreenSize(1024, 768);
        m_frontEnd.emplace(&script);
        m_shell.emplace(&shell);
        m_callRecorder.emplace(&calls);
        SetGameFolder(folder);
        SetGameArguments({});
        GetGameSettings() = GameSettings{};
        ExitingFlag = 0;
        FullscreenChoice = 0;
        RegisterLauncherDialogs();
    }

    void TearDown() override
    {
        ReleaseLauncherSettings();
        m_callRecorder.reset();
        m_shell.reset();
        m_frontEnd.reset();
        SetGameFolder("");
        SetLogFilePath("log.txt");
        GetGameSettings() = GameSettings{};
        ExitingFlag = 0;
        EXPECT_EQ(chdir(oldFolder.c_str()), 0);
        std::system(("rm -rf '" + folder + "'").c_str());
    }

    std::string ReadFile(const std::string& name)
    {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool FileExists(const std::string& name) { return access((folder + "/" + name).c_str(), F_OK) == 0; }

    // A button the dialog template hides, shown and enabled as a program
    // that used it would.
    static void Reveal(platform::Dialog& dialog, int id)
    {
        dialog.GetItem(id)->Show(true);
        dialog.GetItem(id)->Enable(true);
    }

    std::string folder;
    std::string oldFolder;
    std::string gamePath;
    platform::ScriptedFrontEnd script;
    ObservingShell shell;
    std::vector<std::string> calls;

  private:
    std::optional<ServiceOverride<platform::GetDialogFrontEnd, platform::SetDialogFrontEnd>> m_frontEnd;
    std::optional<ServiceOverride<platform::GetInstalledShell, platform::SetShell>> m_shell;
    std::optional<ServiceOverride<platform::GetCallRecorder, platform::SetCallRecorder>> m_callRecorder;
};
