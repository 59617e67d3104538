// Lens-flare screens: one picture a line (texture, factor, scales, colour,
// size and place in the texture).
#include "FuzzSupport.h"

#include "InterfaceTestWorld.h"
#include "interface/LensFlareInterface.h"

std::vector<std::string> FuzzSeeds()
{
    return {"flare.tga\t100\t1\t1\t-1\t40\t40\t10\t20\n"
            "flare.tga\t0\t0.5\t0.5\t16711680\t40\t40\t0\t0\n"
            "flare.tga\t50\t1\t1\t4278190335\t10\t10\t0\t0\n"};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InterfaceWorld world;
    world.folder.Write("Data/Interface/flare.int", std::string(reinterpret_cast<const char*>(data), size));
    CPLensFlareInterface flare;
    flare.Load("flare", 198);
    return 0;
}
