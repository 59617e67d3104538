#pragma once

#include <cstdint>

namespace platform {

// Where a picture of the game's size goes on a larger or smaller surface:
// scaled as far as it fits whole, its aspect kept, and centred, with bars
// where the aspects differ.
struct Letterbox {
    int x = 0, y = 0, width = 0, height = 0;

    static Letterbox Fit(std::uint32_t pictureWidth, std::uint32_t pictureHeight, int surfaceWidth,
                         int surfaceHeight);
    // A point of the surface in the picture's pixels (outside it when the
    // point is on a bar).
    void ToPicture(std::uint32_t pictureWidth, std::uint32_t pictureHeight, float sx, float sy, float* px,
                   float* py) const;
};

} // namespace platform
