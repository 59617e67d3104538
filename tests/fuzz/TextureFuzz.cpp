// Image files of every kind made into flat and cube textures the way the
// texture library asks for them: default sizes, fixed sizes, a format; the
// last byte of the input picks the request.
#include "FuzzSupport.h"

#include "ImageFiles.h"
#include "platform/Texture.h"
#include "platform/TextureLoader.h"

using namespace imagefiles;

std::vector<std::string> FuzzSeeds()
{
    std::vector<Bytes> files;
    const std::vector<std::uint32_t> pixels = {0xFF102030, 0x80405060, 0x00708090};
    files.push_back(EncodePng(3, 1, pixels, true));
    files.push_back(EncodeJpeg(3, 1, pixels, false));
    Writer tga = TgaHeader(2, 3, 1, 32, 0x28);
    tga.Zeros(12);
    files.push_back(tga.bytes);
    Writer bmp = BmpHeaders(3, 1, 24, 0, 54);
    bmp.Zeros(12);
    files.push_back(bmp.bytes);
    DdsDesc dds;
    dds.width = 8;
    dds.height = 8;
    Writer d = DdsHeader(dds);
    d.Zeros(32);
    files.push_back(d.bytes);
    DdsDesc cube;
    cube.caps2 = 0x200 | 0xFC00;
    Writer c = DdsHeader(cube);
    c.Zeros(6 * 8);
    c.U8(0x40); // picks the cube path
    files.push_back(c.bytes);
    return SeedsOf(files);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::HeadlessGraphicsDevice device;
    const std::uint8_t pick = size > 0 ? data[size - 1] : 0;
    platform::TextureFileRequest request;
    if (pick & 1) {
        request.width = 1 + (pick >> 4);
        request.height = 1 + (pick & 0x0E);
        request.mipLevels = 1 + (pick >> 6);
    }
    if (pick & 0x80)
        request.format = platform::PixelFormat::A8R8G8B8;
    std::string error;
    if (pick & 0x40) {
        platform::CubeTexture* cube = nullptr;
        if (platform::CreateCubeTextureFromFileInMemory(&device, data, size, request, &cube, &error) ==
                S_OK &&
            cube)
            cube->Release();
        return 0;
    }
    platform::Texture* texture = nullptr;
    if (platform::CreateTextureFromFileInMemory(&device, data, size, request, &texture, &error) == S_OK &&
        texture)
        texture->Release();
    return 0;
}
