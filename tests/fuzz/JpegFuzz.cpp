// JPEG pictures through the JPEG reader.
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "platform/ImageReaders.h"

using namespace imagefiles;

std::vector<std::string> FuzzSeeds()
{
    std::vector<Bytes> files;
    const std::vector<std::uint32_t> pixels(64, 0xFF336699);
    files.push_back(EncodeJpeg(8, 8, pixels, false));
    files.push_back(EncodeJpeg(8, 8, pixels, true));
    return SeedsOf(files);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::Image image;
    std::string error;
    platform::detail::ReadJpeg(data, size, image, error);
    return 0;
}
