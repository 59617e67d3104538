#include <string>

#include <gtest/gtest.h>

#include "InterfaceTestWorld.h"
#include "Render/Material.h"
#include "Render/RenderList.h"
#include "interface/Button.h"
#include "interface/EditBox.h"
#include "interface/Interface.h"
#include "interface/Window.h"

namespace {

const char* const kMainMenu = "menu\n"
                              "menu.tga,256,128\n"
                              "light,on,0,0,1,0.5,0.25,1\n"
                              "// a comment line\n"
                              "WINDOW\n"
                              "Back 0,0,1024,768,0,0,256,128\n"
                              "window\n"
                              "cursor 5,5,32,48,0,0,32,48\n"
                              "Button\n"
                              "Start 100,200,64,32,0,0,64,32\n"
                              "start_over 0,0,64,32,64,0,64,32\n"
                              "start_down 0,0,64,32,128,0,64,32\n"
                              "window\n"
                              "hidden 10,10,20,20,0,0,20,20,false\n"
                              "textedit\n"
                              "player 300,400,small,8,lu,\"ANNA\"\n"
                              "text\n"
                              "title small,20,30,menu_title,cd\n"
                              "something else\n";

class InterfaceTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        world.AddPlainFont("small");
        world.gameData.texts["menu_title"] = "MAIN";
    }

    InterfaceWorld world;
};

TEST_F(InterfaceTest, LoadsHeaderAndElementsOfTheFile)
{
    world.WriteScreen("mainmenu", kMainMenu);
    CPInterface screen;
    ASSERT_TRUE(screen.Load("mainmenu", 3)) << world.log.Text();
    EXPECT_EQ(screen.GetName(), "mainmenu");
    EXPECT_EQ(screen.GetTypeName(), "CPInterface - mainmenu");
    EXPECT_EQ(screen.GetOwnerObject(), CPObjectPtr(&world.menu));

    auto* material = MaterialOf(*screen.GetScreenRenderObject()).As<CPMaterial>();
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->GetTypeName(), "CPMaterial - interface.fx");
    EXPECT_EQ(material->GetOption(), 203);

    ASSERT_TRUE(screen.IsLightOn());
    const platform::Light& light = screen.GetLight();
    EXPECT_EQ(light.type, platform::LightType::Directional);
    EXPECT_FLOAT_EQ(light.direction.z, 1.0f);
    EXPECT_FLOAT_EQ(light.diffuse.g, 0.25f);
    EXPECT_FLOAT_EQ(light.specular.b, 1.0f);
    EXPECT_FLOAT_EQ(light.specular.a, 0.0f);
    EXPECT_FLOAT_EQ(light.range, 10000.0f);

    // Keywords in capitals start blocks; names keep their case.
    ASSERT_EQ(screen.GetElements().size(), 3u);
    EXPECT_EQ(screen.GetElements()[0]->GetName(), "Back");
    EXPECT_EQ(screen.GetElements()[1]->GetName(), "Start");
    EXPECT_EQ(screen.GetElements()[2]->GetName(), "hidden");
    EXPECT_EQ(screen.GetDrawList(), screen.GetElements());
    ASSERT_EQ(screen.GetButtons().size(), 1u);
    EXPECT_EQ(screen.GetButtons()[0], screen.FindWindow("Start"));
    // Texture coordinates use the header's texture size.
    EXPECT_FLOAT_EQ(screen.FindWindow("Start")->GetVertices()[1].uv1.x, 0.25f);
    EXPECT_FLOAT_EQ(screen.FindWindow("Back")->GetVertices()[2].uv1.y, 1.0f);

    // The cursor window becomes the cursor object only.
    EXPECT_EQ(screen.FindWindow("cursor"), nullptr);
    CPGameObject* cursor = screen.GetCursorObject();
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->GetName(), "cursor");
    EXPECT_EQ(screen.FindObject("cursor"), cursor);
    EXPECT_EQ(cursor->GetParentObject(), &screen);
    auto* cursorRender = cursor->GetRenderObject().As<CPRenderObject>();
    ASSERT_NE(cursorRender, nullptr);
    ASSERT_EQ(cursorRender->GetVertices().size(), 4u);
    EXPECT_FLOAT_EQ(cursorRender->GetVertices()[2].position.x, 32.0f);
    EXPECT_EQ(cursorRender->GetIndices().size(), 6u);
    auto* cursorMaterial = MaterialOf(*cursorRender).As<CPMaterial>();
    ASSERT_NE(cursorMaterial, nullptr);
    EXPECT_EQ(cursorMaterial->GetOption(), 205);

    // The edit box: its text item at the value + 0.5, its text with caret.
    CPEditBox* box = screen.FindEditBox("player");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetText(), "ANNA");
    EXPECT_EQ(box->GetMaxLength(), 8);
    CPTextItem* player = screen.FindText("player");
    ASSERT_NE(player, nullptr);
    EXPECT_FLOAT_EQ(player->x, 300.5f);
    EXPECT_FLOAT_EQ(player->y, 400.5f);
    EXPECT_EQ(player->font, "small");
    auto* playerRender = player->textObject.As<CPGameObject>()->GetRenderObject().As<CPRenderObject>();
    EXPECT_EQ(playerRender->GetVertices().size(), 5u * 4);

    // The static text: the table's entry, anchored "cd" (no move on the
    // layout screen), its item text left empty.
    CPTextItem* title = screen.FindText("title");
    ASSERT_NE(title, nullptr);
    EXPECT_FLOAT_EQ(title->x, 20.5f);
    EXPECT_FLOAT_EQ(title->y, 30.5f);
    EXPECT_EQ(title->text, "");
    auto* titleRender = title->textObject.As<CPGameObject>()->GetRenderObject().As<CPRenderObject>();
    EXPECT_EQ(QuadCorners(*titleRender),
              (std::vector<std::pair<float, float>>{
                  {20.5f, 30.5f}, {28.5f, 30.5f}, {36.5f, 30.5f}, {44.5f, 30.5f}}));
    EXPECT_EQ(screen.GetChildren().size(), 3u); // cursor and two texts
}

TEST_F(InterfaceTest, BuffersHoldTheVisibleElementsAtTheirPositions)
{
    world.WriteScreen("mainmenu", kMainMenu);
    CPInterface screen;
    ASSERT_TRUE(screen.Load("mainmenu", 0));
    const CPRenderObject& render = *screen.GetScreenRenderObject();
    // "Back" and "Start"; "hidden" is not drawn.
    EXPECT_EQ(QuadCorners(render), (std::vector<std::pair<float, float>>{{-0.5f, -0.5f}, {99.5f, 199.5f}}));
    const std::vector<std::uint16_t> indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    EXPECT_EQ(render.GetIndices(), indices);
    EXPECT_FLOAT_EQ(render.GetVertices()[6].position.x, 163.5f);
    EXPECT_EQ(render.GetWorldVertices().size(), 8u);

    // Shown, it is drawn after a rebuild; disabled elements are still drawn.
    screen.FindWindow("hidden")->SetVisible(true);
    screen.FindWindow("Back")->SetEnabled(false);
    EXPECT_EQ(render.GetVertices().size(), 8u);
    screen.RebuildBuffers();
    EXPECT_EQ(QuadCorners(render).size(), 3u);
    EXPECT_EQ(render.GetIndices().back(), 11);
}

TEST_F(InterfaceTest, LightLineAndEffect)
{
    struct Case {
        const char* line;
        bool lightOn;
        const char* material;
    };
    const Case cases[] = {
        {"x,off,0,0,1,1,1,1,smooth", false, "CPMaterial - interface2.fx"},
        {"x,on,0,0,1,1,1,1", true, "CPMaterial - interface.fx"},
        {"x,ON,0,0,1,1,1,1,SMOOTH", false, "CPMaterial - interface.fx"},
        {"x", false, "CPMaterial - interface.fx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        world.WriteScreen("page", std::string("menu\npage.tga,64,64\n") + c.line + "\n");
        CPInterface screen;
        EXPECT_TRUE(screen.Load("page", 0));
        EXPECT_EQ(screen.IsLightOn(), c.lightOn);
        auto* material = MaterialOf(*screen.GetScreenRenderObject()).As<CPMaterial>();
        ASSERT_NE(material, nullptr);
        EXPECT_EQ(material->GetTypeName(), c.material);
    }
}

TEST_F(InterfaceTest, FilesThatCannotBeReadWhollyAreReported)
{
    struct Case {
        const char* what;
        const char* text; // null: no file
        const char* logged;
        std::size_t elements;
        bool owner;
    };
    const Case cases[] = {
        {"no file", nullptr, "cannot read Data\\Interface\\page1024.int", 0, false},
        {"empty file", "", "cannot read", 0, false},
        {"header cut short", "menu\nt.tga,64,64\n", "ends inside its three header lines", 0, true},
        {"button cut short",
         "menu\nt.tga,64,64\nx,off\nwindow\nw 0,0,1,1,0,0,1,1\nbutton\nb 0,0,1,1,0,0,1,1\nb2 "
         "0,0,1,1,0,0,1,1\n",
         "ends inside a \"button\" block", 1, true},
        {"window without its line", "menu\nt.tga,64,64\nx,off\nwindow\n", "ends inside a \"window\" block", 0,
         true},
        {"text without its line", "menu\nt.tga,64,64\nx,off\nTEXT\n", "ends inside a \"text\" block", 0,
         true},
        {"edit box without its line", "menu\nt.tga,64,64\nx,off\ntextedit\n",
         "ends inside a \"textedit\" block", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        world.folder.Write("Data/Interface/page1024.int", c.text ? c.text : "");
        if (!c.text)
            std::remove(world.folder.Path("Data/Interface/page1024.int").c_str());
        CPInterface screen;
        EXPECT_FALSE(screen.Load("page", 0));
        EXPECT_TRUE(log.Contains(c.logged)) << log.Text();
        EXPECT_TRUE(log.Contains("\"page\"")) << log.Text();
        EXPECT_EQ(screen.GetElements().size(), c.elements);
        EXPECT_EQ(static_cast<bool>(screen.GetOwnerObject()), c.owner);
        EXPECT_EQ(screen.GetScreenRenderObject()->GetVertices().size(), c.elements * 4);
        EXPECT_EQ(screen.GetCursorObject(), nullptr);
    }
}

TEST_F(InterfaceTest, NamesGivenTwiceReplaceTheMapEntryOnly)
{
    world.WriteScreen("twice", "nobody\nt.tga,100,100\nx\n"
                               "window\nsame 0,0,10,10,0,0,10,10\n"
                               "window\nsame 50,0,10,10,0,0,10,10\n"
                               "text\nlabel small,0,0,k\n"
                               "text\nlabel small,5,5,k\n");
    CPInterface screen;
    ASSERT_TRUE(screen.Load("twice", 0));
    EXPECT_FALSE(screen.GetOwnerObject()); // "nobody" is not registered
    ASSERT_EQ(screen.GetElements().size(), 2u);
    EXPECT_EQ(screen.FindWindow("same"), screen.GetElements()[1]);
    EXPECT_EQ(QuadCorners(*screen.GetScreenRenderObject()).size(), 2u);
    EXPECT_FLOAT_EQ(screen.FindText("label")->x, 5.5f);
    // A key the text table lacks shows nothing.
    auto* label = screen.FindText("label")->textObject.As<CPGameObject>();
    EXPECT_TRUE(label->GetRenderObject().As<CPRenderObject>()->GetVertices().empty());
    EXPECT_EQ(screen.GetChildren().size(), 2u);
}

TEST_F(InterfaceTest, SubmitAddsTheLightWhileTheTableHasRoomAndAlwaysTheTree)
{
    world.AddPlainFont("small");
    world.WriteScreen("hud", "menu\nt.tga,64,64\nl,on,0,0,-1,1,1,1\n"
                             "window\nw 0,0,10,10,0,0,10,10\ntext\nlabel small,0,0,k\n");
    CPInterface screen;
    ASSERT_TRUE(screen.Load("hud", 0));
    CPRenderList list(&world.render);
    world.render.SetSceneObject(CPObjectPtr(&list));

    screen.Submit();
    EXPECT_EQ(world.render.GetLightCount(), 1);
    CPObject* material = MaterialOf(*screen.GetScreenRenderObject()).Get();
    ASSERT_NE(list.FindBatch(material), nullptr);
    EXPECT_EQ(list.GetFrameBatches().size(), 1u); // the text has no font material

    for (int i = 1; i < CPRender::kMaxLights; ++i)
        world.render.AddLight(platform::Light());
    list.ClearFrame();
    screen.Submit();
    EXPECT_EQ(world.render.GetLightCount(), CPRender::kMaxLights);
    EXPECT_EQ(list.GetFrameBatches().size(), 1u);
    world.render.SetSceneObject(CPObjectPtr());
}

TEST_F(InterfaceTest, ScreensJoinAndLeaveTheScreenList)
{
    const std::size_t before = CPInterface::GetInterfaceList().size();
    auto* first = new CPInterface();
    auto* second = new CPInterface();
    EXPECT_EQ(CPInterface::GetInterfaceList().back(), second);
    EXPECT_EQ(CPInterface::GetInterfaceList().size(), before + 2);
    delete first;
    EXPECT_EQ(CPInterface::GetInterfaceList().size(), before + 1);
    EXPECT_EQ(CPInterface::GetInterfaceList().back(), second);
    delete second;
    EXPECT_EQ(CPInterface::GetInterfaceList().size(), before);
}

} // namespace
