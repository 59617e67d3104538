#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "InterfaceTestWorld.h"
#include "interface/Button.h"
#include "interface/InputManager.h"
#include "interface/Interface.h"
#include "interface/Window.h"
#include "platform/HeadlessInputDevice.h"
#include "core/ServiceOverride.h"

namespace {

// Buttons "a" at (100, 100), "b" at (200, 100), "c" at (300, 100), each
// 50 x 20, a plain window "w" at (0, 0) of 50 x 50; with a cursor unless
// asked otherwise.
std::string MenuFile(bool cursor)
{
    std::string text = "menu\nt.tga,256,256\nx\n";
    if (cursor)
        text += "window\ncursor 0,0,16,16,0,0,16,16\n";
    text += "window\nw 0,0,50,50,0,0,50,50\n";
    for (const char* name : {"a", "b", "c"}) {
        const std::string x = std::to_string(100 * (name[0] - 'a' + 1));
        text += std::string("button\n") + name + " " + x + ",100,50,20,0,0,50,20\n" + name +
                "_over 0,0,50,20,0,20,50,20\n" + name + "_down 0,0,50,20,0,40,50,20\n";
    }
    return text;
}

class InterfaceInputTest : public ::testing::Test {
  protected:
    void Open(bool cursor = true, bool activate = true)
    {
        world.WriteScreen("menu", MenuFile(cursor));
        screen = std::make_unique<CPInterface>();
        ASSERT_TRUE(screen->Load("menu", 0)) << world.log.Text();
        if (activate)
            screen->SilentActivate(450);
    }
    CPButton* Button(const char* name) { return static_cast<CPButton*>(screen->FindWindow(name)); }
    std::vector<std::string> Heard() { return InterfaceWorld::Drain(world.listener); }
    // The picture row the first drawn button quad shows (0 normal, 20 over).
    float DrawnV(std::size_t element) const
    {
        return screen->GetScreenRenderObject()->GetVertices()[element * 4].uv1.y * 256.0f;
    }

    InterfaceWorld world;
    std::unique_ptr<CPInterface> screen;
};

TEST_F(InterfaceInputTest, HoveringPostsOverOnEveryMoveAndOutWhenLeft)
{
    Open();
    CPInterface::DispatchMouseMove(110, 105);
    CPInterface::DispatchMouseMove(112, 106);
    EXPECT_EQ(screen->GetHovered(), Button("a"));
    EXPECT_EQ(Button("a")->GetState(), CPButton::kOver);
    EXPECT_FLOAT_EQ(DrawnV(1), 20.0f); // rebuilt with the over picture
    const Vector3& cursor = screen->GetCursorObject()->GetPosition();
    EXPECT_FLOAT_EQ(cursor.x, 112.0f);
    EXPECT_FLOAT_EQ(cursor.y, 106.0f);

    CPInterface::DispatchMouseMove(10, 10); // onto the plain window
    CPInterface::DispatchMouseMove(512, 384);
    EXPECT_EQ(screen->GetHovered(), nullptr);
    EXPECT_FLOAT_EQ(DrawnV(1), 0.0f);
    EXPECT_EQ(Heard(), (std::vector<std::string>{
                           "mouse_move(0.11|0.14)", "mouse_button_over(a)", "mouse_move(0.11|0.14)",
                           "mouse_button_over(a)", "mouse_move(0.01|0.01)", "mouse_button_out(a)",
                           "mouse_window_over(w)", "mouse_move(0.50|0.50)", "mouse_window_out(w)"}));
}

TEST_F(InterfaceInputTest, ScreensWithoutCursorOrActivationOnlyRecordTheMouse)
{
    struct Case {
        const char* what;
        bool cursor;
        bool active;
    };
    for (const Case& c : {Case{"no cursor", false, true}, Case{"inactive", true, false}}) {
        SCOPED_TRACE(c.what);
        Open(c.cursor, c.active);
        CPInterface::DispatchMouseMove(110, 105);
        EXPECT_FLOAT_EQ(screen->GetMouseX(), 110.0f);
        EXPECT_FLOAT_EQ(screen->GetMouseY(), 105.0f);
        EXPECT_EQ(screen->GetHovered(), nullptr);
        EXPECT_EQ(Heard(), std::vector<std::string>{"mouse_move(0.11|0.14)"});
        if (c.cursor) {
            EXPECT_FLOAT_EQ(screen->GetCursorObject()->GetPosition().x, 0.0f);
        }
    }
}

TEST_F(InterfaceInputTest, LaterElementWinsWhereElementsOverlap)
{
    world.WriteScreen("overlap",
                      "menu\nt.tga,256,256\nx\nwindow\ncursor 0,0,1,1,0,0,1,1\n"
                      "button\nfirst 0,0,50,50,0,0,1,1\nf1 0,0,50,50,0,0,1,1\nf2 0,0,50,50,0,0,1,1\n"
                      "button\nsecond 40,40,50,50,0,0,1,1\ns1 0,0,50,50,0,0,1,1\ns2 0,0,50,50,0,0,1,1\n");
    CPInterface overlap;
    ASSERT_TRUE(overlap.Load("overlap", 0));
    overlap.SilentActivate(450);
    CPInterface::DispatchMouseMove(45, 45);
    EXPECT_EQ(overlap.GetHovered(), overlap.FindWindow("second"));
    // Hidden, the later one lets the earlier one through.
    overlap.FindWindow("second")->SetVisible(false);
    CPInterface::DispatchMouseMove(46, 46);
    EXPECT_EQ(overlap.GetHovered(), overlap.FindWindow("first"));
}

TEST_F(InterfaceInputTest, KeyboardSelectionSteps)
{
    Open(false); // selection works without a cursor
    Button("a")->SetVisible(false);
    // No hover: the first selectable button, found through the point two
    // pixels right of its corner.
    SelectNextButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("b"));
    SelectNextButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("c"));
    // Wraps past the hidden first button.
    SelectNextButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("b"));
    SelectPreviousButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("c"));
    SelectPreviousButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("b"));
    EXPECT_EQ(Button("c")->GetState(), CPButton::kNormal);
    EXPECT_EQ(Button("b")->GetState(), CPButton::kOver);

    // With every button gone after the hover, the search ends and nothing
    // changes.
    Button("b")->SetVisible(false);
    Button("c")->SetEnabled(false);
    SelectNextButtonInAll();
    SelectPreviousButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("b"));
}

TEST_F(InterfaceInputTest, SelectionWithoutHoverStartsAtEitherEnd)
{
    Open();
    SelectNextButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("a")); // through (x + 1, y + 1)
    screen->DeselectCurrentButton();
    EXPECT_EQ(screen->GetHovered(), nullptr);
    EXPECT_EQ(Button("a")->GetState(), CPButton::kNormal);
    SelectPreviousButtonInAll();
    EXPECT_EQ(screen->GetHovered(), Button("c"));
    EXPECT_EQ(Heard(), (std::vector<std::string>{"mouse_button_over(a)", "mouse_button_out(a)",
                                                 "mouse_button_over(c)"}));
    // Inactive screens are not selected on.
    screen->Deactivate();
    screen->DeselectCurrentButton();
    SelectNextButtonInAll();
    EXPECT_EQ(screen->GetHovered(), nullptr);
}

TEST_F(InterfaceInputTest, HoverAtKeepsButtonsOnly)
{
    Open();
    screen->HoverAt(10, 10);
    EXPECT_EQ(screen->GetHovered(), nullptr);
    EXPECT_EQ(Heard(), std::vector<std::string>{"mouse_window_over(w)"});
    // A window found by the mouse stays hovered; a deselect leaves it.
    CPInterface::DispatchMouseMove(10, 10);
    screen->DeselectCurrentButton();
    EXPECT_EQ(screen->GetHovered(), screen->FindWindow("w"));
}

TEST_F(InterfaceInputTest, ClicksReachTheOwner)
{
    Open();
    // Activation told the owner "add_object".
    ASSERT_EQ(InterfaceWorld::Drain(world.menu).size(), 1u);
    CPInterface::DispatchMouseMove(110, 105);
    CPInterface::DispatchMouseDown(0, 110, 105);
    EXPECT_EQ(Button("a")->GetState(), CPButton::kPressed);
    EXPECT_FLOAT_EQ(DrawnV(1), 40.0f);
    CPInterface::DispatchMouseUp(0, 111, 106);
    EXPECT_EQ(Button("a")->GetState(), CPButton::kOver);
    // Pressed on "b", released beside it: no command, back to normal.
    CPInterface::DispatchMouseDown(0, 210, 105);
    CPInterface::DispatchMouseUp(0, 10, 10);
    EXPECT_EQ(Button("b")->GetState(), CPButton::kNormal);
    // The plain window hears any mouse button.
    CPInterface::DispatchMouseUp(1, 20, 30);
    EXPECT_EQ(InterfaceWorld::Drain(world.menu),
              (std::vector<std::string>{"button(a)", "window(w|10.00|10.00)", "window(w|20.00|30.00)"}));
}

TEST_F(InterfaceInputTest, ActivationReplaysTheMouse)
{
    Open(true, false);
    {
        CPInputManager input;
        ServiceOverride<GetInputManager, SetInputManager> installed(&input);
        platform::HeadlessInputDevice device;
        device.MoveMouseTo(205.7f, 110.2f);
        input.ReadDevice(device);
        screen->Activate(450);
    }
    EXPECT_TRUE(screen->IsScreenActive());
    EXPECT_EQ(screen->GetHovered(), Button("b"));
    EXPECT_FLOAT_EQ(screen->GetCursorObject()->GetPosition().x, 205.0f);
    EXPECT_EQ(Heard(), (std::vector<std::string>{"mouse_move(0.20|0.14)", "mouse_button_over(b)"}));
    screen->Deactivate();
    EXPECT_FALSE(screen->IsScreenActive());
    EXPECT_EQ(screen->GetHovered(), Button("b")); // kept
}

} // namespace
