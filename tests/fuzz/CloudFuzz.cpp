// Cloud descriptions, cloud sets and layer lists on their own: the input
// is a cloud set file (also read as a layer list), a "----" line, and the
// cloud description it names.
#include "FuzzSupport.h"

#include "DynamicSky/CloudSet.h"
#include "DynamicSky/CloudLayerList.h"
#include "DynamicSky/CloudParams.h"
#include "SkyTestWorld.h"

using namespace skytest;

std::vector<std::string> FuzzSeeds()
{
    const std::string puff = "cores 1\n0 0 0 5\npuffs 2\n0 0 0 1 0\n1 1 1 2 3\n"
                             "t 1\nt 2\nt 3\nt 4\nt 5\nt 6\nt 7\nt 8\n";
    return {JoinParts({CloudSetText("0 0 50", {"puff.txt", "puff.txt"}), puff})};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> parts = SplitInput(data, size, 2);
    WriteFuzzFile("Data/Clouds/set.txt", parts[0]);
    WriteFuzzFile("Data/Clouds/puff.txt", parts[1]);
    FuzzRenderWorld world;
    {
        CPCloudParams cloud;
        cloud.Load("puff.txt", 2.0f, 0.5f);
    }
    {
        CPCloudSet set;
        set.Load("set.txt");
    }
    // The layer list reads the same kind of text.
    CPCloudLayerList layers;
    layers.Load("set.txt");
    return 0;
}
