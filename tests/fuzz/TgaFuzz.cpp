// TGA pictures (true colour, colour-mapped, run-length) through the TGA reader.
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "platform/ImageReaders.h"

using namespace imagefiles;

std::vector<std::string> FuzzSeeds()
{
    std::vector<Bytes> files;
    // 2 x 2 true colour, 32 bits, top-down; then run-length encoded.
    Writer plain = TgaHeader(2, 2, 2, 32, 0x28);
    plain.Zeros(16);
    files.push_back(plain.bytes);
    Writer packed = TgaHeader(10, 2, 2, 24, 0x20);
    packed.Raw({0x83, 1, 2, 3});
    files.push_back(packed.bytes);
    Writer mapped = TgaHeader(1, 2, 1, 8, 0x20, 2, 24);
    mapped.Raw({1, 2, 3, 4, 5, 6, 0, 1});
    files.push_back(mapped.bytes);
    return SeedsOf(files);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::Image image;
    std::string error;
    platform::detail::ReadTga(data, size, image, error);
    return 0;
}
