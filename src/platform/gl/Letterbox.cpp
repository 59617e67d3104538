#include "platform/gl/Letterbox.h"

#include <cmath>

namespace platform {

Letterbox Letterbox::Fit(std::uint32_t pictureWidth, std::uint32_t pictureHeight, int surfaceWidth,
                         int surfaceHeight)
{
    Letterbox box;
    if (pictureWidth == 0 || pictureHeight == 0 || surfaceWidth <= 0 || surfaceHeight <= 0)
        return box;
    // Whole-number products decide which side is the tight one, so a
    // surface of the picture's own aspect gets no bar of a stray pixel.
    const long long wide = static_cast<long long>(surfaceWidth) * pictureHeight;
    const long long tall = static_cast<long long>(surfaceHeight) * pictureWidth;
    if (wide >= tall) {
        box.height = surfaceHeight;
        box.width = static_cast<int>(tall / pictureHeight);
    } else {
        box.width = surfaceWidth;
        box.height = static_cast<int>(wide / pictureWidth);
    }
    box.x = (surfaceWidth - box.width) / 2;
    box.y = (surfaceHeight - box.height) / 2;
    return box;
}

void Letterbox::ToPicture(std::uint32_t pictureWidth, std::uint32_t pictureHeight, float sx, float sy,
                          float* px, float* py) const
{
    if (width <= 0 || height <= 0) {
        *px = sx;
        *py = sy;
        return;
    }
    *px = (sx - static_cast<float>(x)) * static_cast<float>(pictureWidth) / static_cast<float>(width);
    *py = (sy - static_cast<float>(y)) * static_cast<float>(pictureHeight) / static_cast<float>(height);
}

} // namespace platform
