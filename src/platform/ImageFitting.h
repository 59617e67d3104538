#pragma once

#include "platform/Image.h"
#include "platform/TextureSize.h"

#include <string>

namespace platform {

// Resamples a 32-bit level to another size with a triangle filter that
// widens with the reduction, so shrinking averages every source pixel.
// Edges are clamped.
ImageLevel ResampleLevel(const ImageLevel& source, int width, int height);

// Makes the picture a texture of `shape` holds: level 0 of each face scaled
// to the shape's size, then each further level taken from the file where it
// stored one of the right size, else filtered down from the level above.
// Block-compressed pictures cannot be rescaled here: they keep their stored
// levels (at most the shape's count) and fail when the shape's size differs
// from theirs.
bool FitImageToShape(const Image& source, const TextureShape& shape, Image& fitted,
                     std::string* error = nullptr);

} // namespace platform
