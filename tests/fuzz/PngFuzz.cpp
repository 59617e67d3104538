// PNG pictures through the PNG reader.
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "platform/ImageReaders.h"

using namespace imagefiles;

std::vector<std::string> FuzzSeeds()
{
    std::vector<Bytes> files;
    const std::vector<std::uint32_t> pixels = {0xFF102030, 0x80405060, 0x00708090, 0xFFFFFFFF};
    files.push_back(EncodePng(2, 2, pixels, true));
    files.push_back(EncodePng(2, 2, pixels, false));
    return SeedsOf(files);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::Image image;
    std::string error;
    platform::detail::ReadPng(data, size, image, error);
    return 0;
}
