// Video files: the RIFF "AVI " header the player takes its size and
// length from.
#include "FuzzSupport.h"

#include "platform/VideoFile.h"
#include "support/VideoFiles.h"

std::vector<std::string> FuzzSeeds()
{
    const std::vector<std::uint8_t> avi = videofiles::Avi(320, 240, 25, 40000);
    return {std::string(avi.begin(), avi.end())};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::VideoFileHeader header;
    platform::ReadVideoFileHeader(data, size, header);
    return 0;
}
