// Runs the launcher program itself, with a shell that notes the game start
// or the page instead of carrying it out.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "launcher/LauncherApp.h"
#include "launcher/WebHost.h"

#include <gtest/gtest.h>

namespace {

class LauncherProgram : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/rs_program_XXXXXX";
        folder = mkdtemp(pattern);
        std::string program = RS_LAUNCHER_PROGRAM;
        gameHost = program.substr(0, program.rfind('/')) + "/_exRoadSprint";
    }
    void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

    // Runs the launcher in the test's folder with its input from `input`,
    // without a display unless `environment` sets one; returns its exit
    // status.
    int Run(const std::string& arguments, const std::string& input = "", const std::string& environment = "")
    {
        std::ofstream(folder + "/input.txt") << input;
        std::string command = "cd '" + folder + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + environment +
                              " '" RS_LAUNCHER_PROGRAM "' --record-shell requests.txt " + arguments +
                              " < input.txt > output.txt 2> errors.txt";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Read(const std::string& name)
    {
        std::ifstream in(folder + "/" + name);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string folder;
    std::string gameHost;
};

} // namespace

TEST_F(LauncherProgram, ChooseStartGameStartsTheGameHostBesideIt)
{
    ASSERT_EQ(Run("--choose \"Start Game\" --data data/sample -- --frames 3"), 0) << Read("errors.txt");
    EXPECT_EQ(Read("requests.txt"), "start " + gameHost + " --data data/sample --frames 3\n");
    struct stat info {};
    ASSERT_EQ(stat(gameHost.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode) && access(gameHost.c_str(), X_OK) == 0);
    EXPECT_EQ(Read("errors.txt"), "");
}

// Start Game opens a window where a display is set, and says so; without
// one, or when asked (the run command does), the game runs headless.
TEST_F(LauncherProgram, StartGameOpensAWindowWhereADisplayIsSetAndRunsHeadlessOtherwise)
{
#if !RS_HAVE_WINDOW
    GTEST_SKIP() << "this build has no window device, so the game always runs headless";
#endif
    const std::string headless = "start " + gameHost + " --data data/sample --frames 3\n";
    const std::string window = "start " + gameHost + " --data data/sample --window --frames 3\n";
    const struct {
        const char* name;
        const char* environment;
        const char* arguments;
        const char* game;
        const std::string& request;
        const char* says;
    } cases[] = {
        {"no display", "", "", "--frames 3", headless, "headless: no display"},
        {"an X display", "DISPLAY=:7", "", "--frames 3", window, "in a window on display :7"},
        {"a Wayland display", "WAYLAND_DISPLAY=wayland-1", "", "--frames 3", window,
         "in a window on display wayland-1"},
        {"headless asked", "DISPLAY=:7", "--headless", "--frames 3", headless, "headless, as asked"},
        {"the window asked for already", "DISPLAY=:7", "", "--window --frames 3", window, "in a window"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove((folder + "/requests.txt").c_str());
        ASSERT_EQ(Run(std::string(c.arguments) + " --choose \"Start Game\" --data data/sample -- " + c.game,
                      "", c.environment),
                  0)
            << Read("errors.txt");
        EXPECT_EQ(Read("requests.txt"), c.request);
        EXPECT_NE(Read("output.txt").find(c.says), std::string::npos) << Read("output.txt");
    }
}

TEST_F(LauncherProgram, ChooseExitOpensTheStatisticsPage)
{
    ASSERT_EQ(Run("--choose Exit"), 0) << Read("errors.txt");
    EXPECT_EQ(Read("requests.txt"), std::string("open ") + kStatsPageAddress + "\n");
}

TEST_F(LauncherProgram, AHiddenButtonCannotBeChosen)
{
    for (const char* hidden : {"Options", "\"Start in fullscreen mode\"", "\"Start in windowed mode\""}) {
        std::remove((folder + "/requests.txt").c_str());
        EXPECT_EQ(Run(std::string("--choose ") + hidden), 2) << hidden;
        EXPECT_NE(Read("errors.txt").find("no visible, enabled button"), std::string::npos) << hidden;
        // The refused choice ends the input, which closes the dialog.
        EXPECT_EQ(Read("requests.txt"), std::string("open ") + kStatsPageAddress + "\n") << hidden;
    }
}

TEST_F(LauncherProgram, TheTerminalShowsTheDialogAndTakesAFirstLetter)
{
    ASSERT_EQ(Run("", "o\ns\n"), 0) << Read("errors.txt");
    std::string shown = Read("output.txt");
    EXPECT_NE(shown.find("Vex Road Sprint"), std::string::npos) << shown;
    EXPECT_NE(shown.find(kSplashPageAddress), std::string::npos) << shown;
    EXPECT_NE(shown.find("  Start Game\n  Exit\n"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Options"), std::string::npos) << shown;
    EXPECT_EQ(Read("requests.txt"), "start " + gameHost + "\n");

    // Closing the input closes the dialog.
    std::remove((folder + "/requests.txt").c_str());
    ASSERT_EQ(Run("", ""), 0);
    EXPECT_EQ(Read("requests.txt"), std::string("open ") + kStatsPageAddress + "\n");
}
