// Skyscape files with the files they name: the input is the sky file,
// its layer file, two cloud sets and a cloud description, apart by
// "----" lines.
#include "FuzzSupport.h"

#include "DynamicSky/Skyscape.h"
#include "SkyTestWorld.h"

using namespace skytest;

namespace {

void WriteFixedFiles()
{
    static bool written = false;
    if (written)
        return;
    written = true;
    const Bytes tga = Tga(2, 2, 0xFF808080);
    for (const char* name : {"Data/Textures/dome.tga", "Data/Textures/sun.tga"})
        WriteFuzzFile(name, std::string(tga.begin(), tga.end()));
    for (const char* name : {"dome.fx", "part1.fx", "part2.fx", "skyscape_light.fx"})
        WriteFuzzFile(std::string("Data/Effects/") + name, std::string(kOnePassEffect));
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    SkyText text;
    KeyframeText first;
    first.angle = 90.0f;
    first.parts = {{30.0f, 1, 2.5f, 0}};
    text.keyframes = {first, KeyframeText{}};
    text.parts = {PartText{}};
    text.sets = {"set_a.txt", "set_b.txt"};
    const std::string puff = "cores 0\npuffs 0\nt 1\nt 2\nt 3\nt 4\nt 5\nt 6\nt 7\nt 8\n";
    return {JoinParts({text.Text(), LayersText({LayerText{}}), CloudSetText("0 0 50", {"puff.txt"}),
                       CloudSetText("5 0 50", {"puff.txt", "puff.txt"}), puff})};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFixedFiles();
    const std::vector<std::string> parts = SplitInput(data, size, 5);
    const char* const names[] = {"sky.txt", "layers.txt", "set_a.txt", "set_b.txt", "puff.txt"};
    for (int i = 0; i < 5; ++i)
        WriteFuzzFile(std::string("Data/Clouds/") + names[i], parts[static_cast<std::size_t>(i)]);
    FuzzRenderWorld world;
    FakeLevel level;
    CPSkyscape sky;
    sky.Load("sky.txt");
    return 0;
}
