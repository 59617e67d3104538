// BMP pictures (palette, true colour, bit fields, run-length) through the BMP reader.
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "platform/ImageReaders.h"

using namespace imagefiles;

std::vector<std::string> FuzzSeeds()
{
    std::vector<Bytes> files;
    Writer rgb = BmpHeaders(2, 2, 24, 0, 54);
    rgb.Zeros(16);
    files.push_back(rgb.bytes);
    Writer mapped = BmpHeaders(2, -2, 8, 0, 54 + 8, 2);
    mapped.Raw({0, 0, 255, 0, 255, 0, 0, 0}).Raw({0, 1, 0, 0, 1, 0, 0, 0});
    files.push_back(mapped.bytes);
    Writer rle = BmpHeaders(4, 1, 8, 1, 54 + 4, 1);
    rle.Raw({1, 2, 3, 0}).Raw({4, 0, 0, 1});
    files.push_back(rle.bytes);
    return SeedsOf(files);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::Image image;
    std::string error;
    platform::detail::ReadBmp(data, size, image, error);
    return 0;
}
