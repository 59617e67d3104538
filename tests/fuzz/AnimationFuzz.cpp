// Animation blocks of animated meshes: frame count, rate, and per frame
// the vertices and indices; then the frame choice over time.
#include "FuzzSupport.h"

#include "AnimationBlock.h"
#include "Render/Animation.h"
#include "core/FileReader.h"

std::vector<std::string> FuzzSeeds()
{
    AnimationBlock two;
    two.Frames(240.0f, {Triangle(0), Triangle(1)});
    AnimationBlock one;
    one.Frames(0.0f, {Triangle(2)});
    return {two.bytes, one.bytes + two.bytes};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/Meshes/input.an", data, size);
    CPFileReader reader("Data\\Meshes\\input.an", false);
    if (reader.Load() != S_OK)
        return 0;
    // Two blocks in a row, as the nodes of a file hold them.
    for (int block = 0; block < 2; ++block) {
        CPAnimation animation("walk");
        if (!animation.Load(reader, 0xFF808080))
            break;
        for (float t : {0.0f, 0.05f, 1.0f, 1e9f, -1.0f})
            animation.ChooseFrame(t);
    }
    return 0;
}
