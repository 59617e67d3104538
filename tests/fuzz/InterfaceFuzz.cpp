// Interface screens (.int files): header, windows, buttons, edit boxes and
// texts, then the screen activated and its buffers rebuilt.
#include "FuzzSupport.h"

#include "InterfaceTestWorld.h"
#include "interface/Interface.h"

std::vector<std::string> FuzzSeeds()
{
    return {"menu\n"
            "menu.tga,256,128\n"
            "light,on,0,0,1,0.5,0.25,1,smooth\n"
            "WINDOW\n"
            "Back 0,0,1024,768,0,0,256,128\n"
            "Button\n"
            "Start 100,200,64,32,0,0,64,32\n"
            "start_over 0,0,64,32,64,0,64,32\n"
            "start_down 0,0,64,32,128,0,64,32\n"
            "textedit\n"
            "player 300,400,small,8,lu,\"ANNA\"\n"
            "text\n"
            "title small,20,30,menu_title,cd\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InterfaceWorld world;
    world.AddPlainFont("small");
    world.gameData.texts["menu_title"] = "MAIN";
    world.folder.Write("Data/Interface/input1024.int",
                       std::string(reinterpret_cast<const char*>(data), size));
    auto* screen = new CPInterface();
    if (screen->Load("input", 3)) {
        screen->SilentActivate(1);
        screen->RebuildBuffers();
        screen->Deactivate();
    }
    delete screen;
    return 0;
}
