// DDS pictures (plain, block-compressed, mips, cubes) through the DDS reader.
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "platform/ImageReaders.h"

using namespace imagefiles;

std::vector<std::string> FuzzSeeds()
{
    std::vector<Bytes> files;
    DdsDesc dxt1;
    Writer a = DdsHeader(dxt1);
    a.Zeros(8);
    files.push_back(a.bytes);
    DdsDesc argb;
    argb.pfFlags = 0x41;
    argb.fourCc = "";
    argb.bitCount = 32;
    argb.masks[0] = 0x00FF0000;
    argb.masks[1] = 0x0000FF00;
    argb.masks[2] = 0x000000FF;
    argb.masks[3] = 0xFF000000;
    argb.width = 2;
    argb.height = 2;
    argb.mipCount = 2;
    Writer b = DdsHeader(argb);
    b.Zeros(16 + 4);
    files.push_back(b.bytes);
    DdsDesc dxt5;
    dxt5.fourCc = "DXT5";
    dxt5.width = 8;
    dxt5.height = 4;
    Writer c = DdsHeader(dxt5);
    c.Zeros(32);
    files.push_back(c.bytes);
    return SeedsOf(files);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::Image image;
    std::string error;
    platform::detail::ReadDds(data, size, image, error);
    return 0;
}
