#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Render/Material.h"
#include "ScriptTestSupport.h"
#include "interface/Button.h"
#include "interface/EditBox.h"
#include "core/GameClock.h"
#include "interface/InputManager.h"
#include "interface/Interface.h"
#include "interface/InterfaceTestWorld.h"
#include "interface/Window.h"
#include "launcher/LauncherApp.h"
#include "script/InterfaceBindings.h"
#include "core/ServiceOverride.h"

namespace {

const char* const kMenu = "menu\n"
                          "menu.tga,256,128\n"
                          "light,on,0,0,1,0.5,0.25,1\n"
                          "WINDOW\n"
                          "Back 0,0,1024,768,0,0,256,128\n"
                          "window\n"
                          "cursor 5,5,32,48,0,0,32,48\n"
                          "Button\n"
                          "Start 100,200,64,32,0,0,64,32\n"
                          "start_over 0,0,64,32,64,0,64,32\n"
                          "start_down 0,0,64,32,128,0,64,32\n"
                          "textedit\n"
                          "player 300,400,small,8,lu,\"ANNA\"\n"
                          "text\n"
                          "title small,20,30,menu_title,cd\n";

// A real script state over a screen world; "screen" is a screen made by
// the script from the menu above.
class InterfaceBindingsTest : public ScriptTest {
  protected:
    InterfaceBindingsTest()
    {
        world.AddPlainFont("small");
        world.AddPlainFont("big");
        world.gameData.texts["menu_title"] = "MAIN";
        world.gameData.texts["hello"] = "HI";
        world.WriteScreen("mainmenu", kMenu);
        EXPECT_TRUE(Run("screen = CreateInterface('mainmenu', 3)")) << log.Text();
        screen = static_cast<CPInterface*>(static_cast<CPObject*>(GlobalPointer("screen")));
    }
    ~InterfaceBindingsTest() override
    {
        ExitingFlag = 0;
        // The script host deletes the screens its scripts made.
        host.reset();
    }

    const std::vector<CPMeshVertex>& TextVertices(const std::string& name)
    {
        CPTextItem* item = screen->FindText(name);
        return item->textObject.As<CPGameObject>()->GetRenderObject().As<CPRenderObject>()->GetVertices();
    }

    InterfaceWorld world;
    CPInterface* screen = nullptr;
};

TEST_F(InterfaceBindingsTest, CreatedScreenIsLoadedWithItsNumberAndHeldForTheScript)
{
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetName(), "mainmenu");
    EXPECT_EQ(screen->GetUseCount(), 1u);
    auto* material = MaterialOf(*screen->GetScreenRenderObject()).As<CPMaterial>();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetOption(), 203);
}

// A screen the scripts made leaves the screen list with their host: no
// mouse event reaches it, or the script object it reports to, afterwards.
TEST_F(InterfaceBindingsTest, ScreensGoWithTheScriptHost)
{
    const auto& screens = CPInterface::GetInterfaceList();
    ASSERT_NE(std::find(screens.begin(), screens.end(), screen), screens.end());
    host.reset();
    EXPECT_EQ(std::find(screens.begin(), screens.end(), screen), screens.end());
    CPInterface::DispatchMouseMove(10.0f, 10.0f);
}

TEST_F(InterfaceBindingsTest, AHugeScreenNumberTakesTheLargestOption)
{
    ASSERT_TRUE(Run("big = CreateInterface('mainmenu', 1e300)")) << log.Text();
    auto* big = static_cast<CPInterface*>(static_cast<CPObject*>(GlobalPointer("big")));
    ASSERT_NE(big, nullptr);
    auto* material = MaterialOf(*big->GetScreenRenderObject()).As<CPMaterial>();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetOption(), std::numeric_limits<int>::max());
}

TEST_F(InterfaceBindingsTest, WindowPositionsAndSizes)
{
    struct Case {
        const char* code;
        float x, y;
    } cases[] = {
        {"SetWindowPosition(screen, 'Start', 100, 50)", 100.0f, 50.0f},
        {"SetWindowPositionShop(screen, 'Start', 100, 50)", 99.5f, 49.5f},
        {"SetWindowPosition(screen, 'Start', '7.25', -3)", 7.25f, -3.0f},
        // Names the screen lacks and null screens change nothing.
        {"SetWindowPosition(screen, 'nothing', 1, 1); SetWindowPosition(nil, 'Start', 1, 1)", 7.25f, -3.0f},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Run(std::string(c.code) + "; x, y = GetWindowPosition(screen, 'Start')")) << c.code;
        EXPECT_FLOAT_EQ(GlobalNumber("x"), c.x) << c.code;
        EXPECT_FLOAT_EQ(GlobalNumber("y"), c.y) << c.code;
    }
    for (const char* code : {"x, y = GetWindowPosition(screen, 'nothing')",
                             "x, y = GetWindowPosition(nil, 'Start')", "x, y = GetWindowPosition(screen)"}) {
        ASSERT_TRUE(Run(code)) << code;
        EXPECT_EQ(GlobalNumber("x"), -1.0) << code;
        EXPECT_EQ(GlobalNumber("y"), -1.0) << code;
    }

    ASSERT_TRUE(Run("SetWindowSize(screen, 'Back', 40, 30)"));
    const auto& quad = screen->FindWindow("Back")->GetVertices();
    const float expected[4][2] = {{0, 0}, {40, 0}, {40, 30}, {0, 30}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(quad[i].position.x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(quad[i].position.y, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(quad[i].position.z, 0.0f) << i;
    }
    EXPECT_FLOAT_EQ(quad[2].uv1.x, 1.0f);
}

TEST_F(InterfaceBindingsTest, MovesAndHidingReachTheBuffersOnlyOnRebuild)
{
    const auto before = QuadCorners(*screen->GetScreenRenderObject());
    ASSERT_EQ(before.size(), 2u);
    ASSERT_TRUE(Run("SetWindowPosition(screen, 'Start', 10, 20); SetWindowVisible(screen, 'Back', false)"));
    EXPECT_EQ(QuadCorners(*screen->GetScreenRenderObject()), before);

    ASSERT_TRUE(Run("UpdateInterfaceBuffers(screen)"));
    const auto after = QuadCorners(*screen->GetScreenRenderObject());
    ASSERT_EQ(after.size(), 1u);
    EXPECT_FLOAT_EQ(after[0].first, 10.0f);
    EXPECT_FLOAT_EQ(after[0].second, 20.0f);
}

TEST_F(InterfaceBindingsTest, TextsAreStoredLaidOutAndMoved)
{
    ASSERT_TRUE(Run("SetText(screen, 'title', 'ABC')"));
    EXPECT_EQ(screen->FindText("title")->text, "ABC");
    EXPECT_EQ(TextVertices("title").size(), 3u * 4);

    ASSERT_TRUE(Run("SetTextPosition(screen, 'title', 200, 100); x, y = GetTextPosition(screen, 'title')"));
    EXPECT_EQ(GlobalNumber("x"), 200.0);
    EXPECT_EQ(GlobalNumber("y"), 100.0);
    ASSERT_EQ(TextVertices("title").size(), 3u * 4);
    EXPECT_FLOAT_EQ(TextVertices("title")[0].position.x, 200.0f);

    // A font and its text are shown but not kept.
    ASSERT_TRUE(Run("SetFont(screen, 'title', 'big', 'WXYZ')"));
    EXPECT_EQ(TextVertices("title").size(), 4u * 4);
    EXPECT_EQ(screen->FindText("title")->text, "ABC");
    EXPECT_EQ(screen->FindText("title")->font, "small");
    ASSERT_TRUE(Run("SetFontString(screen, 'title', 'big', 'hello')"));
    EXPECT_EQ(TextVertices("title").size(), 2u * 4);
    EXPECT_EQ(screen->FindText("title")->text, "ABC");

    ASSERT_TRUE(Run("SetTextString(screen, 'title', 'hello')"));
    EXPECT_EQ(screen->FindText("title")->text, "HI");
    ASSERT_TRUE(Run("SetTextString(screen, 'title', 'no such key')"));
    EXPECT_EQ(screen->FindText("title")->text, "");
    EXPECT_TRUE(TextVertices("title").empty());

    for (const char* code :
         {"x, y = GetTextPosition(screen, 'nothing')", "x, y = GetTextPosition(nil, 'title')"}) {
        ASSERT_TRUE(Run(code)) << code;
        EXPECT_EQ(GlobalNumber("x"), -1.0) << code;
        EXPECT_EQ(GlobalNumber("y"), -1.0) << code;
    }
}

// SetTimeText writes what the script's own formatting of the time writes,
// for times on both sides of every rounding and carry, and negative ones;
// what is no time a race keeps shows as nought.
TEST_F(InterfaceBindingsTest, TimeTextsAreWhatTheScriptsFormattingWrites)
{
    ASSERT_TRUE(Run(R"lua(
        function scriptTime(seconds)
            local hundredths = math.floor(seconds * 100 + 0.5)
            return string.format("%d:%02d.%02d", math.floor(hundredths / 6000),
                math.floor(hundredths / 100) % 60, hundredths % 100)
        end
    )lua"));
    for (const char* seconds :
         {"0",       "1 / 60", "0.004999", "0.005",   "0.015",   "9.995",      "59.994", "59.995", "60",
          "119.999", "599.5",  "3599.995", "3600",    "6039.99", "123456.789", "-0.004", "-0.006", "-0.01",
          "-61.255", "2^40",   "1e13",     "1/0 * 0", "1/0",     "-1/0",       "1e300"}) {
        ASSERT_TRUE(Run(std::string("t = ") + seconds +
                        "; SetTimeText(screen, 'title', t);"
                        "ok, expected = pcall(scriptTime, t)"))
            << seconds << log.Text();
        const std::string shown = screen->FindText("title")->text;
        const double value = GlobalNumber("t");
        if (std::isfinite(value) && std::fabs(value) < 1e13)
            EXPECT_EQ(shown, GlobalString("expected")) << seconds;
        else
            EXPECT_EQ(shown, "0:00.00") << seconds;
    }
    // Laid out as SetText lays the same text out.
    ASSERT_TRUE(Run("SetText(screen, 'title', '1:15.50')"));
    const std::vector<CPMeshVertex> plain = TextVertices("title");
    ASSERT_TRUE(Run("SetText(screen, 'title', ''); SetTimeText(screen, 'title', 75.5)"));
    ASSERT_EQ(TextVertices("title").size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i)
        EXPECT_EQ(TextVertices("title")[i].position.x, plain[i].position.x) << i;
    ASSERT_TRUE(Run("SetTimeText(screen, 'title', 0)"));
    // No screen or no such item: nothing, and no failure.
    EXPECT_TRUE(Run("SetTimeText(nil, 'title', 1); SetTimeText(screen, 'nothing', 1); SetTimeText(screen)"))
        << log.Text();
    EXPECT_EQ(screen->FindText("title")->text, "0:00.00");
    ExitingFlag = 1;
    ASSERT_TRUE(Run("SetTimeText(screen, 'title', 75)"));
    EXPECT_EQ(screen->FindText("title")->text, "0:00.00");
}

TEST_F(InterfaceBindingsTest, TextSettersDoNothingWhileExiting)
{
    ASSERT_TRUE(Run("SetText(screen, 'title', 'ABC')"));
    ExitingFlag = 1;
    ASSERT_TRUE(Run("SetText(screen, 'title', 'LONGER'); SetTextString(screen, 'title', 'hello')"));
    EXPECT_EQ(screen->FindText("title")->text, "ABC");
    EXPECT_EQ(TextVertices("title").size(), 3u * 4);
}

TEST_F(InterfaceBindingsTest, EditBoxes)
{
    struct Case {
        const char* code;
        const char* text;
    } cases[] = {
        {"EditBoxProcessKey(screen, 'player', 8)", "ANN"},
        {"EditBoxProcessKey(screen, 'player', 97)", "ANNA"},
        {"EditBoxProcessKey(screen, 'player', 353)", "ANNAA"}, // one byte: 353 is 97
        {"SetEditBoxText(screen, 'player', 'abcdefghijk')", "abcdefgh"},
        {"EditBoxProcessKey(screen, 'player', 98.9)", "abcdefgh"}, // full
        {"SetEditBoxText(screen, 'nothing', 'x'); SetEditBoxText(nil, 'player', 'x')", "abcdefgh"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Run(std::string(c.code) + "; text = GetEditBoxText(screen, 'player');"
                                              "n = EditBoxTextLength(screen, 'player')"))
            << c.code;
        EXPECT_EQ(GlobalString("text"), c.text) << c.code;
        EXPECT_EQ(GlobalNumber("n"), std::string(c.text).size()) << c.code;
    }
    ASSERT_TRUE(
        Run("text = GetEditBoxText(screen, 'nothing'); n = EditBoxTextLength(screen, 'nothing');"
            "a = select('#', GetEditBoxText(nil, 'player')); b = select('#', EditBoxTextLength(nil))"));
    EXPECT_EQ(GlobalString("text"), "");
    EXPECT_EQ(GlobalNumber("n"), 0.0);
    EXPECT_EQ(GlobalNumber("a"), 0.0);
    EXPECT_EQ(GlobalNumber("b"), 0.0);
}

TEST_F(InterfaceBindingsTest, LockingTheHoveredButtonDropsTheHover)
{
    CPWindow* start = screen->FindWindow("Start");
    screen->HoverAt(110.0f, 210.0f);
    ASSERT_EQ(screen->GetHovered(), start);
    InterfaceWorld::Drain(world.listener);

    ASSERT_TRUE(Run("LockButton(screen, 'Start')"));
    EXPECT_FALSE(start->IsEnabled());
    EXPECT_EQ(screen->GetHovered(), nullptr);
    EXPECT_EQ(static_cast<CPButton*>(start)->GetState(), CPButton::kNormal);
    EXPECT_EQ(InterfaceWorld::Drain(world.listener), std::vector<std::string>{"mouse_button_out(Start)"});

    ASSERT_TRUE(Run("UnlockButton(screen, 'Start')"));
    EXPECT_TRUE(start->IsEnabled());
    EXPECT_EQ(screen->GetHovered(), nullptr);

    // A window that is not hovered is only disabled.
    ASSERT_TRUE(Run("LockButton(screen, 'Back'); LockButton(nil, 'Start'); UnlockButton(screen, 'nothing')"));
    EXPECT_FALSE(screen->FindWindow("Back")->IsEnabled());
    EXPECT_TRUE(start->IsEnabled());
}

TEST_F(InterfaceBindingsTest, DeselectCurrentButtonReturnsItToNormal)
{
    screen->HoverAt(110.0f, 210.0f);
    ASSERT_NE(screen->GetHovered(), nullptr);
    ASSERT_TRUE(Run("DeselectCurrentButton(nil); DeselectCurrentButton(screen)"));
    EXPECT_EQ(screen->GetHovered(), nullptr);
    EXPECT_EQ(static_cast<CPButton*>(screen->FindWindow("Start"))->GetState(), CPButton::kNormal);
}

TEST_F(InterfaceBindingsTest, SetCursorOfBothTables)
{
    CPGameObject* cursor = screen->GetCursorObject();
    ASSERT_NE(cursor, nullptr);
    // The scripts reach the second game table's SetCursor: a name is
    // required.
    EXPECT_NE(Error("SetCursor(screen, nil)").find("bad argument #2"), std::string::npos);
    EXPECT_EQ(screen->GetCursorObject(), cursor);

    ASSERT_TRUE(Run("SetCursor(screen, 'nothing')"));
    EXPECT_EQ(screen->GetCursorObject(), nullptr);
    EXPECT_FALSE(cursor->IsVisible());
    ASSERT_TRUE(Run("SetCursor(screen, 'cursor'); SetCursor(nil, 'nothing')"));
    EXPECT_EQ(screen->GetCursorObject(), cursor);
    EXPECT_TRUE(cursor->IsVisible());

    // The game table's own SetCursor takes a missing name as "".
    lua_pushcfunction(L, bind::SetCursor);
    lua_setglobal(L, "SetCursorA");
    ASSERT_TRUE(Run("SetCursorA(screen, nil)"));
    EXPECT_EQ(screen->GetCursorObject(), nullptr);
    EXPECT_EQ(screen->GetCursorName(), "");
}

TEST_F(InterfaceBindingsTest, WrongArgumentsGiveAScriptErrorOrNothing)
{
    EXPECT_NE(Error("CreateInterface(nil, 1)").find("bad argument #1"), std::string::npos);
    EXPECT_NE(Error("CreateInterface({}, 1)").find("string expected"), std::string::npos);
    // Everything else ignores what it cannot use.
    const char* code = "ActivateInterface(nil); SilentActivateInterface(5); UpdateInterface('x');"
                       "UpdateInterfaceBuffers(); SetWindowVisible(nil, 'Start', true);"
                       "SetWindowSize(screen, nil, 1, 2); SetText(screen, 'title', nil); SetText(screen);"
                       "SetTextString(screen, 'title', nil); SetFont(screen, 'title', nil, nil);"
                       "SetTextPosition(screen, 'nothing', 1, 2); EditBoxProcessKey(screen, 'player', nil);"
                       "DeselectCurrentButton({}); IMenuRight(); IMenuLeft()";
    EXPECT_TRUE(Run(code)) << log.Text();
    EXPECT_EQ(screen->FindText("title")->text, "");
}

TEST_F(InterfaceBindingsTest, ActivationAndDeactivation)
{
    ASSERT_TRUE(Run("SilentActivateInterface(screen)"));
    EXPECT_TRUE(screen->IsScreenActive());
    ASSERT_TRUE(Run("DeactivateInterface(screen)"));
    EXPECT_FALSE(screen->IsScreenActive());
    ASSERT_TRUE(Run("ActivateInterface(screen)"));
    EXPECT_TRUE(screen->IsScreenActive());
    ASSERT_TRUE(Run("DeactivateInterface(screen)"));
}

TEST_F(InterfaceBindingsTest, SetDefaultCameraInstallsTheRendererCamera)
{
    ASSERT_TRUE(Run("SetDefaultCamera()"));
    const auto& passes = world.render.GetPasses();
    ASSERT_EQ(passes.count(19), 1u);
}

TEST_F(InterfaceBindingsTest, SetActionsSwitchesActionsAndClearsTheFrameTime)
{
    CPInputManager manager;
    ServiceOverride<GetInputManager, SetInputManager> installedInputManager(&manager);
    struct Case {
        const char* code;
        bool enabled;
    } cases[] = {{"SetActions(true)", true},
                 {"SetActions(nil)", false},
                 {"SetActions(0)", true},
                 {"SetActions()", false}};
    for (const Case& c : cases) {
        SetFrameTime(0.25f);
        ASSERT_TRUE(Run(c.code)) << c.code;
        EXPECT_EQ(manager.AreActionsEnabled(), c.enabled) << c.code;
        EXPECT_EQ(GetFrameTime(), 0.0f) << c.code;
    }
    ServiceOverride<GetInputManager, SetInputManager> noInputManager(nullptr);
    SetFrameTime(0.25f);
    EXPECT_TRUE(Run("SetActions(true)"));
    EXPECT_EQ(GetFrameTime(), 0.0f);
}

} // namespace
