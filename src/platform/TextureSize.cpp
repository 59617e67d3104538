#include "platform/TextureSize.h"

#include <algorithm>

namespace platform {
namespace {

int ChooseEdge(int imageEdge, int requested)
{
    if (requested == kTextureSizeFromFile)
        return imageEdge;
    if (requested == kTextureSizeDefault || requested == 0)
        return PowerOfTwoAtLeast(imageEdge);
    return requested;
}

} // namespace

int PowerOfTwoAtLeast(int n)
{
    int power = 1;
    while (power < n && power <= (1 << 29))
        power <<= 1;
    return power;
}

int FullMipChainLength(int width, int height)
{
    int levels = 1;
    for (int edge = std::max(width, height); edge > 1; edge >>= 1)
        ++levels;
    return levels;
}

TextureShape ChooseTextureShape(int imageWidth, int imageHeight, int imageMipLevels, int width, int height,
                                int mipLevels)
{
    TextureShape shape;
    shape.width = ChooseEdge(imageWidth, width);
    shape.height = ChooseEdge(imageHeight, height);
    int chain = FullMipChainLength(shape.width, shape.height);
    if (mipLevels == kTextureSizeFromFile)
        shape.mipLevels = std::clamp(imageMipLevels, 1, chain);
    else if (mipLevels == kTextureSizeDefault || mipLevels <= 0)
        shape.mipLevels = chain;
    else
        shape.mipLevels = std::min(mipLevels, chain);
    return shape;
}

} // namespace platform
