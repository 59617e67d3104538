#include "LauncherTestSupport.h"

#include <fstream>

#include "launcher/DialogCentring.h"
#include "launcher/LauncherSettings.h"
#include "launcher/WebHost.h"
#include "core/ServiceOverride.h"

using namespace platform;

TEST_F(LauncherFixture, DialogResultDecidesBetweenTheGameAndTheStatisticsPage)
{
    const std::string startGame = "start " + gamePath;
    const std::string openStats = std::string("open ") + kStatsPageAddress;
    struct Case {
        const char* name;
        std::function<void(ScriptedFrontEnd&)> user;
        std::string request;
    } cases[] = {
        {"Start Game", [](ScriptedFrontEnd& s) { s.Choose("Start Game"); }, startGame},
        {"windowed",
         [](ScriptedFrontEnd& s) {
             s.Inspect([](Dialog& d) { Reveal(d, kWindowedButton); }).Press(kWindowedButton);
         },
         startGame},
        {"fullscreen",
         [](ScriptedFrontEnd& s) {
             s.Inspect([](Dialog& d) { Reveal(d, kFullscreenButton); }).Press(kFullscreenButton);
         },
         startGame},
        {"Exit", [](ScriptedFrontEnd& s) { s.Choose("Exit"); }, openStats},
        {"close", [](ScriptedFrontEnd& s) { s.Close(); }, openStats},
        {"end of input", [](ScriptedFrontEnd&) {}, openStats},
        {"other result", [](ScriptedFrontEnd& s) { s.Inspect([](Dialog& d) { d.End(7); }); }, openStats},
        {"hidden start mode", [](ScriptedFrontEnd& s) { s.Press(kFullscreenButton).Press(kOptionsButton); },
         openStats},
    };
    for (const Case& c : cases) {
        ScriptedFrontEnd user;
        c.user(user);
        ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
        CPLauncherApp app;
        EXPECT_EQ(app.RunLauncher(nullptr, kShowNormal), S_OK) << c.name;
        ASSERT_FALSE(shell.GetRequests().empty()) << c.name;
        EXPECT_EQ(shell.GetRequests().back(), c.request) << c.name;
    }
    EXPECT_EQ(shell.GetRequests().size(), sizeof(cases) / sizeof(cases[0]));
    std::string stats = kStatsPageAddress;
    EXPECT_NE(stats.find("/stats/"), std::string::npos);
    EXPECT_EQ(stats.substr(stats.size() - 5), ".html");
}

TEST_F(LauncherFixture, TheGameGetsTheLaunchersGameArguments)
{
    SetGameArguments({"--data", "data/sample", "--frames", "5"});
    script.Choose("Start Game");
    CPLauncherApp app;
    app.RunLauncher(nullptr, kShowNormal);
    EXPECT_EQ(shell.GetRequests(),
              (std::vector<std::string>{"start " + gamePath + " --data data/sample --frames 5"}));
}

TEST(Centring, MovesToTheMiddleRoundingTowardZeroAndKeepsTheSize)
{
    struct Case {
        int screenWidth, screenHeight, width, height, x, y;
    } cases[] = {
        {1024, 768, 300, 200, 362, 284},  {1024, 768, 301, 201, 361, 283},
        {800, 600, 1001, 301, -100, 149}, // wider than the screen: -201 / 2 is -100
        {640, 480, 640, 480, 0, 0},       {640, 480, 643, 485, -1, -2},
    };
    for (const Case& c : cases) {
        SetScreenSize(c.screenWidth, c.screenHeight);
        Window window(0, WindowKind::Dialog, "", Rect{5, 7, 5 + c.width, 7 + c.height});
        CentreOnScreen(window);
        EXPECT_EQ(window.GetWindowRect(), (Rect{c.x, c.y, c.x + c.width, c.y + c.height}))
            << c.width << "x" << c.height << " on " << c.screenWidth << "x" << c.screenHeight;
        EXPECT_EQ(window.GetRepaintCount(), 1);
    }
    SetScreenSize(1024, 768);
}

TEST_F(LauncherFixture, TheDialogIsTitledCentredAndShowsTheSplashPage)
{
    Rect placed;
    std::string title, page;
    script.Inspect([&](Dialog& dialog) {
        placed = dialog.GetWindowRect();
        title = dialog.GetText();
        page = dialog.GetItem(kWebFrame)->GetShownPage();
    });
    script.Choose("Exit");
    CPLauncherApp app;
    app.RunLauncher(nullptr, kShowNormal);

    // 443 by 331 dialog units are 665 by 538 pixels.
    EXPECT_EQ(placed, (Rect{179, 115, 179 + 665, 115 + 538}));
    EXPECT_EQ(title, "Vex Road Sprint");
    EXPECT_EQ(page, kSplashPageAddress);
}

TEST_F(LauncherFixture, StartModesWriteTheWindowModeBeforeTheGameStarts)
{
    struct Case {
        int button;
        const char* config;
    } cases[] = {
        {kWindowedButton, "Bloom = 1\r\nFullscreen = 0\r\nLensFlare = 1\r\nMotionBlur = 1\r\n"
                          "ScreenHeight = 480\r\nScreenWidth = 640\r\nSmoke = 1\r\n"},
        {kFullscreenButton, "Bloom = 1\r\nFullscreen = 1\r\nLensFlare = 1\r\nMotionBlur = 1\r\n"
                            "ScreenHeight = 480\r\nScreenWidth = 640\r\nSmoke = 1\r\n"},
    };
    for (const Case& c : cases) {
        std::remove("config.cfg");
        FullscreenChoice = c.button == kWindowedButton ? 1 : 0; // the opposite of what the button sets
        ScriptedFrontEnd user;
        int button = c.button;
        user.Inspect([button](Dialog& d) { Reveal(d, button); }).Press(button);
        ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
        CPLauncherApp app;
        app.RunLauncher(nullptr, kShowNormal);

        EXPECT_TRUE(shell.configExisted) << c.button;
        EXPECT_EQ(shell.config, c.config);
        EXPECT_EQ(shell.GetRequests().back(), "start " + gamePath);
    }

    // Start Game itself writes nothing.
    std::remove("config.cfg");
    ScriptedFrontEnd user;
    user.Choose("Start Game");
    ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
    CPLauncherApp app;
    app.RunLauncher(nullptr, kShowNormal);
    EXPECT_FALSE(shell.configExisted);
}

// The screen size and the mode the file held stay through the launcher's
// own writing of it; only what the dialog changed is new.
TEST_F(LauncherFixture, WritingConfigKeepsTheScreenTheFileHeldBefore)
{
    std::ofstream("config.cfg", std::ios::binary)
        << "Bloom = 1\r\nFullscreen = 1\r\nLensFlare = 0\r\nScreenHeight = 720\r\nScreenWidth = 1280\r\n";
    LoadLauncherSettings("config.cfg");
    EXPECT_EQ(FullscreenChoice, 1);
    script.Inspect([](Dialog& d) { Reveal(d, kOptionsButton); })
        .Choose("Options")
        .Choose("Bloom")
        .Choose("OK")
        .Choose("Start Game");
    CPLauncherApp app;
    app.RunLauncher(nullptr, kShowNormal);
    EXPECT_EQ(ReadFile("config.cfg"), "Bloom = 0\r\nFullscreen = 1\r\nLensFlare = 0\r\nMotionBlur = 1\r\n"
                                      "ScreenHeight = 720\r\nScreenWidth = 1280\r\nSmoke = 1\r\n");
}

TEST_F(LauncherFixture, OptionsKeepsTheLauncherOpenAndItsChoiceReachesConfig)
{
    script.Inspect([](Dialog& d) { Reveal(d, kOptionsButton); })
        .Choose("Options")
        .Inspect([](Dialog& d) { EXPECT_EQ(d.GetText(), "Options"); })
        .Choose("Bloom")
        .Choose("OK")
        .Inspect([](Dialog& d) { EXPECT_EQ(d.GetText(), "Vex Road Sprint"); })
        .Choose("Start Game");
    CPLauncherApp app;
    app.RunLauncher(nullptr, kShowNormal);

    EXPECT_TRUE(script.IsFinished());
    EXPECT_FALSE(script.HasFailed()) << script.GetError();
    EXPECT_EQ(GetGameSettings().bloom, 0);
    EXPECT_NE(ReadFile("config.cfg").find("Bloom = 0\r\n"), std::string::npos);
    EXPECT_EQ(shell.GetRequests(), (std::vector<std::string>{"start " + gamePath}));
}

TEST_F(LauncherFixture, EntryTearsDownInOrderAndExitsZero)
{
    script.Choose("Start Game");
    EXPECT_EQ(LauncherMain(), 0);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"StartComponents", "RunModalDialog 101", "StartEmbedding",
                                        "CreateEmbeddedObject", "WebBrowser Close", "WebBrowser destroyed",
                                        "EndEmbedding", "ShellOpen _exRoadSprint.exe", "EndComponents"}));
    // The web host was gone, the application still there and the flag not
    // yet set when the game was asked for.
    EXPECT_FALSE(shell.webHostAlive);
    EXPECT_TRUE(shell.appAlive);
    EXPECT_EQ(shell.exitingFlag, 0);

    EXPECT_EQ(ExitingFlag, 1);
    EXPECT_EQ(GetLauncherApp(), nullptr);
    EXPECT_EQ(GetLauncherWebHost(), nullptr);
    EXPECT_FALSE(IsEmbeddingStarted());
}

TEST_F(LauncherFixture, AFailedStartIsLoggedAndTheEntryExitsNonZero)
{
    struct Case {
        const char* name;
        const char* choice;
        bool shellFails;
        bool removeGame;
        const char* logged;
    } cases[] = {
        {"game refused", "Start Game", true, false, "_exRoadSprint.exe"},
        {"page refused", "Exit", true, false, kStatsPageAddress},
        {"no game", "Start Game", false, true, "no program \"_exRoadSprint.exe\""},
    };
    for (const Case& c : cases) {
        std::string logName = std::string("log ") + c.name + ".txt";
        SetLogFilePath(folder + "/" + logName);
        shell.FailRequests(c.shellFails);
        if (c.removeGame)
            std::remove(gamePath.c_str());
        ScriptedFrontEnd user;
        user.Choose(c.choice);
        ServiceOverride<GetDialogFrontEnd, SetDialogFrontEnd> installedUser(&user);
        EXPECT_EQ(LauncherMain(), 1) << c.name;
        EXPECT_EQ(ExitingFlag, 1) << c.name;
        EXPECT_EQ(GetLauncherApp(), nullptr) << c.name;
        std::string log = ReadFile(logName);
        EXPECT_NE(log.find("Launcher: could not open"), std::string::npos) << c.name;
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name << "\n" << log;
    }
}
