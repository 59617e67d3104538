#pragma once

#include "platform/Image.h"

namespace platform {

// The picture of a block-compressed image (DXT1 to DXT5) as 32-bit ARGB
// pixels, every face and level. DXT2 and DXT4 hold colours premultiplied
// by alpha; they come out straight, as the other formats do. An image that
// is not block-compressed is returned as it is.
Image DecompressImage(const Image& source);

} // namespace platform
