// Fonts of the screens ("fonts.txt"), handed to the interface manager as
// the game does when it starts.
#include "FuzzSupport.h"

#include "interface/FontFile.h"
#include "interface/InterfaceManager.h"

std::vector<std::string> FuzzSeeds()
{
    return {"[main]\ntexture = font_main.tga\neffect = interface.fx\nsize = 256,64\ncell = 16,16\n"
            "columns = 16\nline_height = 16\nglyph = 65,10,14\nglyph = 66,11,12\n\n"
            "[small]\ntexture = small.tga\neffect = interface.fx\nsize = 128,128\ncell = 8,8\ncolumns = 16\n"
            "line_height = 9\nglyph = 32,0,4\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzRenderWorld world;
    WriteFuzzFile("Data/Interface/fonts.txt", data, size);
    CPInterfaceManager manager;
    CPFontFile::Load(CPFontFile::kDefaultFile, manager);
    return 0;
}
