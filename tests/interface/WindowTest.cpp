#include <string>

#include <gtest/gtest.h>

#include "InterfaceTestWorld.h"
#include "core/TextReader.h"
#include "interface/Anchor.h"
#include "interface/Button.h"
#include "interface/EditBox.h"
#include "interface/Interface.h"
#include "interface/Window.h"

namespace {

// Loads a window (or button) from the lines on a texture of the size.
template <class T>
bool LoadFrom(T& element, const std::string& lines, float width = 256.0f, float height = 256.0f)
{
    CPTextReader reader(lines.data(), static_cast<std::int32_t>(lines.size()));
    return element.Load(reader, width, height);
}

class WindowTest : public ::testing::Test {
  protected:
    InterfaceWorld world;
    CPInterface screen; // the owner of the elements below; owned by "menu"

    void SetUp() override { screen.SetOwnerObject(CPObjectPtr(&world.menu)); }
};

TEST_F(WindowTest, WindowLineGivesPositionQuadAndTextureRectangle)
{
    CPWindow window(&screen);
    ASSERT_TRUE(LoadFrom(window, "title 100,50,200,40,0,0,200,40"));
    EXPECT_EQ(window.GetName(), "title");
    EXPECT_FLOAT_EQ(window.GetX(), 99.5f);
    EXPECT_FLOAT_EQ(window.GetY(), 49.5f);
    const auto& q = window.GetVertices();
    const float expected[4][4] = {
        {0, 0, 0, 0}, {200, 0, 0.78125f, 0}, {200, 40, 0.78125f, 0.15625f}, {0, 40, 0, 0.15625f}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(q[i].position.x, expected[i][0]);
        EXPECT_FLOAT_EQ(q[i].position.y, expected[i][1]);
        EXPECT_FLOAT_EQ(q[i].position.z, 0.0f);
        EXPECT_FLOAT_EQ(q[i].uv1.x, expected[i][2]);
        EXPECT_FLOAT_EQ(q[i].uv1.y, expected[i][3]);
    }
    EXPECT_EQ(window.GetIndices(), (std::array<std::uint16_t, 6>{{0, 1, 2, 0, 2, 3}}));
    EXPECT_TRUE(window.IsVisible());
}

TEST_F(WindowTest, OptionalValuesOfTheWindowLine)
{
    struct Case {
        const char* line;
        bool visible;
        float x, y, right, bottom;
    };
    InterfaceWorld::SetScreenSize(2048, 1536);
    const Case cases[] = {
        {"a 10,20,30,40,0,0,0,0,false", false, 9.5f, 19.5f, 30, 40},
        {"a 10,20,30,40,0,0,0,0,true", true, 9.5f, 19.5f, 30, 40},
        // stretch doubles the size on a screen twice the layout's size
        {"a 10,20,30,40,0,0,0,0,yes,stretch", true, 9.5f, 19.5f, 60, 80},
        // an anchor moves the position (with the half pixel taken off)
        {"a 1000,700,30,40,0,0,0,0,true,rd", true, 2023.5f, 1467.5f, 30, 40},
        {"a 10,20,30,40,0,0,0,0,false,nowhere", false, 9.5f, 19.5f, 30, 40},
        // missing values are 0; what follows a further blank is not read
        {"a 10,20", true, 9.5f, 19.5f, 0, 0},
        {"a 10,20,30,40,0,0,0,0 ,false", true, 9.5f, 19.5f, 30, 40},
        {"a", true, -0.5f, -0.5f, 0, 0},
        // numbers that are not finite read as 0
        {"a inf,nan,30,40", true, -0.5f, -0.5f, 30, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        CPWindow window(&screen);
        ASSERT_TRUE(LoadFrom(window, c.line));
        EXPECT_EQ(window.IsVisible(), c.visible);
        EXPECT_FLOAT_EQ(window.GetX(), c.x);
        EXPECT_FLOAT_EQ(window.GetY(), c.y);
        EXPECT_FLOAT_EQ(window.GetVertices()[2].position.x, c.right);
        EXPECT_FLOAT_EQ(window.GetVertices()[2].position.y, c.bottom);
    }
}

TEST_F(WindowTest, StretchKeepsTheLayoutSizeOnTheLayoutScreen)
{
    CPWindow window(&screen);
    ASSERT_TRUE(LoadFrom(window, "a 0,0,333,577,0,0,0,0,true,stretch"));
    EXPECT_EQ(window.GetVertices()[2].position.x, 333.0f);
    EXPECT_EQ(window.GetVertices()[2].position.y, 577.0f);
    EXPECT_EQ(window.GetStretchedWidth(), 333.0f);
    EXPECT_EQ(window.GetStretchedHeight(), 577.0f);
}

TEST_F(WindowTest, TextureWithoutSizeGivesZeroCoordinates)
{
    CPWindow window(&screen);
    ASSERT_TRUE(LoadFrom(window, "a 0,0,10,10,5,5,10,10", 0.0f, 0.0f));
    for (const CPMeshVertex& corner : window.GetVertices()) {
        EXPECT_EQ(corner.uv1.x, 0.0f);
        EXPECT_EQ(corner.uv1.y, 0.0f);
    }
    CPTextReader empty("", 0);
    EXPECT_FALSE(window.Load(empty, 256.0f, 256.0f));
}

TEST(Anchor, MovesPointsToTheScreenSize)
{
    InterfaceWorld world;
    InterfaceWorld::SetScreenSize(1280, 1024);
    struct Case {
        const char* anchor;
        float x, y; // from (1000, 700)
    };
    const Case cases[] = {
        {"rd", 1256, 956}, {"center", 1128, 828}, {"lu", 1000, 700}, {"ld", 1000, 956},
        {"ru", 1256, 700}, {"cu", 1128, 700},     {"cd", 1128, 956}, {"Center", 1000, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anchor);
        float x = 1000.0f;
        float y = 700.0f;
        ApplyAnchor(x, y, c.anchor);
        EXPECT_FLOAT_EQ(x, c.x);
        EXPECT_FLOAT_EQ(y, c.y);
    }
    float x = 512.0f;
    float y = 384.0f;
    ApplyAnchor(x, y, "center");
    EXPECT_FLOAT_EQ(x, 640.0f);
    EXPECT_FLOAT_EQ(y, 512.0f);
}

TEST_F(WindowTest, HitTestIncludesTheEdges)
{
    CPWindow window(&screen);
    ASSERT_TRUE(LoadFrom(window, "a 10.5,20.5,100,50,0,0,0,0")); // spans 10..110, 20..70
    struct Case {
        float x, y;
        bool hit;
    };
    const Case cases[] = {{10, 20, true},       {110, 70, true},     {60, 45, true},     {9.99f, 45, false},
                          {110.01f, 45, false}, {60, 19.99f, false}, {60, 70.01f, false}};
    for (const Case& c : cases)
        EXPECT_EQ(window.HitTest(c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(WindowTest, WindowsTellTheInterfaceAndTheOwnerAboutTheMouse)
{
    CPWindow window(&screen);
    ASSERT_TRUE(LoadFrom(window, "logo 0.5,0.5,100,50,0,0,0,0"));
    EXPECT_FALSE(window.OnMouseOver(1, 1));
    EXPECT_FALSE(window.OnMouseOut(1, 1));
    EXPECT_FALSE(window.OnMouseDown(0, 1, 1));
    EXPECT_FALSE(window.OnMouseUp(2, 12.345f, 40)); // any mouse button
    EXPECT_FALSE(window.OnMouseUp(0, 101, 40));     // outside: nothing
    EXPECT_EQ(InterfaceWorld::Drain(world.listener),
              (std::vector<std::string>{"mouse_window_over(logo)", "mouse_window_out(logo)"}));
    EXPECT_EQ(InterfaceWorld::Drain(world.menu), std::vector<std::string>{"window(logo|12.35|40.00)"});

    // A screen without an owner script sends nothing.
    CPInterface orphan;
    CPWindow lost(&orphan);
    ASSERT_TRUE(LoadFrom(lost, "lost 0,0,100,50,0,0,0,0"));
    lost.OnMouseUp(0, 5, 5);
    EXPECT_EQ(world.menu.GetQueuedCount(), 0u);
}

class ButtonTest : public WindowTest {
  protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_TRUE(LoadFrom(button, "ok 100.5,100.5,50,20,0,0,50,20\n"
                                     "ok_over 0,0,50,20,0,20,50,20\n"
                                     "ok_down 0,0,60,30,0,40,50,20\n"));
    }
    float PictureV() const { return button.GetVertices()[0].uv1.y * 256.0f; }

    CPButton button{&screen};
};

TEST_F(ButtonTest, TakesNameAndPlaceOfItsNormalPicture)
{
    EXPECT_EQ(button.GetName(), "ok");
    EXPECT_FLOAT_EQ(button.GetX(), 100.0f);
    EXPECT_FLOAT_EQ(button.GetY(), 100.0f);
    EXPECT_EQ(button.GetState(), CPButton::kNormal);
    EXPECT_FLOAT_EQ(PictureV(), 0.0f);

    CPButton hidden(&screen);
    ASSERT_TRUE(LoadFrom(hidden, "h 0,0,1,1,0,0,0,0,false\nh2 0,0,1,1,0,0,0,0\nh3 0,0,1,1,0,0,0,0"));
    EXPECT_FALSE(hidden.IsVisible());
    CPButton cut(&screen);
    EXPECT_FALSE(LoadFrom(cut, "c 0,0,1,1,0,0,0,0\nc2 0,0,1,1,0,0,0,0"));
}

TEST_F(ButtonTest, StatesFollowTheMouse)
{
    struct Step {
        const char* what;
        bool (*act)(CPButton&);
        bool result;
        CPButton::State state;
        float pictureV;
    };
    const Step steps[] = {
        {"over", [](CPButton& b) { return b.OnMouseOver(110, 110); }, true, CPButton::kOver, 20},
        {"right button down", [](CPButton& b) { return b.OnMouseDown(1, 110, 110); }, false, CPButton::kOver,
         20},
        {"down", [](CPButton& b) { return b.OnMouseDown(0, 110, 110); }, true, CPButton::kPressed, 40},
        {"right button up", [](CPButton& b) { return b.OnMouseUp(1, 110, 110); }, false, CPButton::kPressed,
         40},
        {"up inside", [](CPButton& b) { return b.OnMouseUp(0, 150, 120); }, true, CPButton::kOver, 20},
        {"down again", [](CPButton& b) { return b.OnMouseDown(0, 110, 110); }, true, CPButton::kPressed, 40},
        {"up outside", [](CPButton& b) { return b.OnMouseUp(0, 151, 110); }, true, CPButton::kNormal, 0},
        {"over again", [](CPButton& b) { return b.OnMouseOver(110, 110); }, true, CPButton::kOver, 20},
        {"out", [](CPButton& b) { return b.OnMouseOut(0, 0); }, true, CPButton::kNormal, 0},
        {"pressed then hidden",
         [](CPButton& b) {
             b.OnMouseDown(0, 1, 1);
             b.SetVisible(true);
             return true;
         },
         true, CPButton::kNormal, 0},
        {"pressed then disabled",
         [](CPButton& b) {
             b.OnMouseDown(0, 1, 1);
             b.SetEnabled(false);
             return true;
         },
         true, CPButton::kNormal, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        EXPECT_EQ(s.act(button), s.result);
        EXPECT_EQ(button.GetState(), s.state);
        EXPECT_FLOAT_EQ(PictureV(), s.pictureV);
    }
    EXPECT_EQ(InterfaceWorld::Drain(world.menu), std::vector<std::string>{"button(ok)"});
    EXPECT_EQ(
        InterfaceWorld::Drain(world.listener),
        (std::vector<std::string>{"mouse_button_over(ok)", "mouse_button_over(ok)", "mouse_button_out(ok)"}));
}

TEST_F(ButtonTest, HitAreaIsTheNormalPictureWhereTheButtonIs)
{
    // The pressed picture is larger; the hit area stays the normal one.
    EXPECT_TRUE(button.HitTest(150, 120));
    EXPECT_FALSE(button.HitTest(155, 125));
    // Moved, the button is hit where it is drawn.
    button.SetPosition(300, 300);
    EXPECT_FALSE(button.HitTest(110, 110));
    EXPECT_TRUE(button.HitTest(310, 310));
    button.OnMouseDown(0, 310, 310);
    button.OnMouseUp(0, 310, 310);
    EXPECT_EQ(InterfaceWorld::Drain(world.menu), std::vector<std::string>{"button(ok)"});
}

class EditBoxTest : public WindowTest {
  protected:
    EditBoxTest()
    {
        world.AddPlainFont("small");
        text.SetRenderObject(CPObjectPtr(render), CPGameObject::kMeshObject);
        item.textObject = CPObjectPtr(&text);
        item.font = "small";
        item.x = 10.5f;
        item.y = 20.5f;
    }
    std::size_t Quads() const { return render->GetVertices().size() / 4; }

    CPGameObject text{"text"};
    CPRenderObject* render = new CPRenderObject(&text);
    CPTextItem item;
};

TEST_F(EditBoxTest, KeysFillTheBoxUpToItsLength)
{
    CPEditBox box(item, 8);
    EXPECT_EQ(Quads(), 1u); // the caret alone
    EXPECT_FLOAT_EQ(render->GetVertices()[0].position.x, 10.5f);
    for (char c : std::string("ab 1-x?yz9"))
        box.ProcessKey(static_cast<std::uint8_t>(c));
    EXPECT_EQ(box.GetText(), "AB 1XYZ9"); // "-" and "?" are no keys; "9" is the ninth
    EXPECT_EQ(Quads(), 9u);
    box.ProcessKey(' ');
    box.ProcessKey(0xC4); // bytes above 127 are no letters here
    EXPECT_EQ(box.GetText(), "AB 1XYZ9");
    box.ProcessKey(8);
    EXPECT_EQ(box.GetText(), "AB 1XYZ");
    EXPECT_EQ(Quads(), 8u);
    for (int i = 0; i < 10; ++i)
        box.ProcessKey(8);
    EXPECT_EQ(box.GetText(), "");
    EXPECT_EQ(Quads(), 1u);
}

TEST_F(EditBoxTest, SetTextIsCutButTheInitialTextIsNot)
{
    CPEditBox box(item, 4, "LONGNAME");
    EXPECT_EQ(box.GetText(), "LONGNAME");
    EXPECT_EQ(Quads(), 9u);
    box.SetText("abcdefg");
    EXPECT_EQ(box.GetText(), "abcd");
    EXPECT_EQ(box.GetTextLength(), 4u);
    EXPECT_EQ(Quads(), 5u);
    box.ProcessKey('x');
    EXPECT_EQ(box.GetText(), "abcd");

    CPEditBox none(item, -3);
    none.SetText("abc");
    none.ProcessKey('a');
    EXPECT_EQ(none.GetText(), "");
}

} // namespace
