#pragma once

namespace platform {

// Size requests understood by the texture loader, in place of a number.
// Default: the picture's edge rounded up to a power of two (or, for mip
// levels, the full chain down to 1 x 1). FromFile: the picture's own edge
// or stored mip count, unchanged.
constexpr int kTextureSizeDefault = -1;
constexpr int kTextureSizeFromFile = -2;

struct TextureShape {
    int width = 0;
    int height = 0;
    int mipLevels = 0;
};

// The smallest power of two that is not below n (1 for n below 1).
int PowerOfTwoAtLeast(int n);

// Levels of a full mip chain from width x height down to 1 x 1.
int FullMipChainLength(int width, int height);

// The shape of a texture made from a picture of the given size and stored
// mip count, for the requested width, height and mip levels (each a number
// or one of the requests above; 0 means Default as well). An explicit mip
// count larger than the full chain is cut to the chain.
TextureShape ChooseTextureShape(int imageWidth, int imageHeight, int imageMipLevels, int width, int height,
                                int mipLevels);

} // namespace platform
