#pragma once

#include <cstddef>
#include <string>

#include "platform/GraphicsDevice.h"
#include "platform/Image.h"
#include "platform/TextureSize.h"

namespace platform {

// Result for a picture the loader cannot read or cannot make into the
// texture asked for.
constexpr HResult kInvalidData = static_cast<HResult>(0x88760B59u);

// What a texture made from an image file should look like. Sizes and the
// mip count take the requests of TextureSize.h (the default: edges rounded
// up to powers of two, the full mip chain). Format Unknown keeps the
// picture's own format. Pictures are always scaled with a triangle filter.
struct TextureFileRequest {
    int width = kTextureSizeDefault;
    int height = kTextureSizeDefault; // not used for cube textures
    int mipLevels = kTextureSizeDefault;
    std::uint32_t usage = 0;
    PixelFormat format = PixelFormat::Unknown;
    ResourcePool pool = ResourcePool::Managed;
};

// The texture format that holds a decoded picture of `format`; Unknown
// when no texture format does.
PixelFormat TextureFormatOf(ImageFormat format);

// Decodes an image file held in memory and makes a texture of it. On
// success *out holds one reference for the caller; on failure it is null
// and, when `error` is given, it says what went wrong. A picture that
// cannot be decoded gives kInvalidData; a device refusal gives the
// device's result.
HResult CreateTextureFromFileInMemory(GraphicsDevice* device, const void* data, std::size_t size,
                                      const TextureFileRequest& request, Texture** out,
                                      std::string* error = nullptr);

// The same for a cube texture, which needs a file holding six faces.
HResult CreateCubeTextureFromFileInMemory(GraphicsDevice* device, const void* data, std::size_t size,
                                          const TextureFileRequest& request, CubeTexture** out,
                                          std::string* error = nullptr);

} // namespace platform
