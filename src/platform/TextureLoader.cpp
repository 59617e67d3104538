#include "platform/TextureLoader.h"

#include <algorithm>
#include <cstring>

#include "platform/BlockDecompression.h"
#include "platform/Image.h"
#include "platform/ImageFitting.h"

namespace platform {

namespace {

HResult Fail(HResult code, std::string* error, const std::string& message)
{
    if (error)
        *error = message;
    return code;
}

// Blocks cannot be scaled, and no texture holds premultiplied blocks
// (DXT2, DXT4): such a picture becomes 32-bit pixels first, unless blocks
// were asked for.
bool MustDecompress(const Image& decoded, const TextureFileRequest& request, bool cube)
{
    if (IsBlockCompressed(request.format))
        return false;
    if (request.format != PixelFormat::Unknown || TextureFormatOf(decoded.format) == PixelFormat::Unknown)
        return true;
    const int height = cube ? request.width : request.height;
    const TextureShape shape = ChooseTextureShape(decoded.width, decoded.height, decoded.mipLevels,
                                                  request.width, height, request.mipLevels);
    return shape.width != decoded.width || shape.height != decoded.height;
}

// Decodes the file and fits it to the request. A cube's faces are square:
// their edge comes from the width request.
HResult PreparePicture(const void* data, std::size_t size, const TextureFileRequest& request, bool cube,
                       Image& fitted, PixelFormat& format, std::string* error)
{
    if (!data || size == 0)
        return Fail(kInvalidData, error, "the file is empty");
    Image decoded;
    std::string why;
    if (!DecodeImage(static_cast<const std::uint8_t*>(data), size, decoded, &why))
        return Fail(kInvalidData, error, why);
    if (cube != decoded.IsCube())
        return Fail(kInvalidData, error,
                    cube ? "the picture holds no cube faces"
                         : "the picture is a cube map, not a flat texture");
    if (IsBlockCompressed(decoded.format) && MustDecompress(decoded, request, cube))
        decoded = DecompressImage(decoded);
    format = TextureFormatOf(decoded.format);
    if (format == PixelFormat::Unknown)
        return Fail(kInvalidData, error,
                    std::string("no texture format holds ") + ImageFormatName(decoded.format));
    // The two 32-bit layouts share their bytes, so either may be asked for.
    if (request.format != PixelFormat::Unknown && request.format != format) {
        const bool bothPlain = !IsBlockCompressed(format) && (request.format == PixelFormat::A8R8G8B8 ||
                                                              request.format == PixelFormat::X8R8G8B8);
        if (!bothPlain)
            return Fail(kInvalidCall, error, "the picture cannot be converted to the requested format");
        format = request.format;
    }
    const int height = cube ? request.width : request.height;
    const TextureShape shape = ChooseTextureShape(decoded.width, decoded.height, decoded.mipLevels,
                                                  request.width, height, request.mipLevels);
    if (!FitImageToShape(decoded, shape, fitted, &why))
        return Fail(kInvalidData, error, why);
    return S_OK;
}

// Rows of storage units (pixels, or 4x4 blocks) in a level of that height.
std::size_t StorageRows(PixelFormat format, std::uint32_t height)
{
    return IsBlockCompressed(format) ? (height + 3) / 4 : height;
}

// Copies a fitted level into a locked level of the same size; both are
// packed the same way.
void CopyLevel(const ImageLevel& level, const LockedRect& locked, std::size_t rows)
{
    const std::size_t bytes = std::min(static_cast<std::size_t>(locked.pitch) * rows, level.bytes.size());
    std::memcpy(locked.bits, level.bytes.data(), bytes);
}

} // namespace

PixelFormat TextureFormatOf(ImageFormat format)
{
    switch (format) {
    case ImageFormat::A8R8G8B8:
        return PixelFormat::A8R8G8B8;
    case ImageFormat::X8R8G8B8:
        return PixelFormat::X8R8G8B8;
    case ImageFormat::Dxt1:
        return PixelFormat::Dxt1;
    case ImageFormat::Dxt3:
        return PixelFormat::Dxt3;
    case ImageFormat::Dxt5:
        return PixelFormat::Dxt5;
    default:
        return PixelFormat::Unknown;
    }
}

HResult CreateTextureFromFileInMemory(GraphicsDevice* device, const void* data, std::size_t size,
                                      const TextureFileRequest& request, Texture** out, std::string* error)
{
    if (!out)
        return Fail(kInvalidCall, error, "no place for the texture");
    *out = nullptr;
    if (!device)
        return Fail(kInvalidCall, error, "no device");
    Image fitted;
    PixelFormat format = PixelFormat::Unknown;
    HResult result = PreparePicture(data, size, request, false, fitted, format, error);
    if (Failed(result))
        return result;
    Texture* texture = nullptr;
    result = device->CreateTexture(
        static_cast<std::uint32_t>(fitted.width), static_cast<std::uint32_t>(fitted.height),
        static_cast<std::uint32_t>(fitted.mipLevels), request.usage, format, request.pool, &texture);
    if (Failed(result))
        return Fail(result, error, "the device refused a texture of that size");
    for (int mip = 0; mip < fitted.mipLevels; ++mip) {
        const std::uint32_t level = static_cast<std::uint32_t>(mip);
        SurfaceDesc desc;
        LockedRect locked;
        texture->GetLevelDesc(level, &desc);
        result = texture->LockRect(level, &locked, nullptr, 0);
        if (Failed(result)) {
            texture->Release();
            return Fail(result, error, "a level of the texture could not be filled");
        }
        CopyLevel(fitted.Level(0, mip), locked, StorageRows(format, desc.height));
        texture->UnlockRect(level);
    }
    *out = texture;
    return S_OK;
}

HResult CreateCubeTextureFromFileInMemory(GraphicsDevice* device, const void* data, std::size_t size,
                                          const TextureFileRequest& request, CubeTexture** out,
                                          std::string* error)
{
    if (!out)
        return Fail(kInvalidCall, error, "no place for the texture");
    *out = nullptr;
    if (!device)
        return Fail(kInvalidCall, error, "no device");
    Image fitted;
    PixelFormat format = PixelFormat::Unknown;
    HResult result = PreparePicture(data, size, request, true, fitted, format, error);
    if (Failed(result))
        return result;
    CubeTexture* cube = nullptr;
    result = device->CreateCubeTexture(static_cast<std::uint32_t>(fitted.width),
                                       static_cast<std::uint32_t>(fitted.mipLevels), request.usage, format,
                                       request.pool, &cube);
    if (Failed(result))
        return Fail(result, error, "the device refused a cube texture of that size");
    for (std::uint32_t face = 0; face < CubeTexture::kFaceCount; ++face) {
        for (int mip = 0; mip < fitted.mipLevels; ++mip) {
            const std::uint32_t level = static_cast<std::uint32_t>(mip);
            SurfaceDesc desc;
            LockedRect locked;
            cube->GetLevelDesc(level, &desc);
            result = cube->LockRect(face, level, &locked, nullptr, 0);
            if (Failed(result)) {
                cube->Release();
                return Fail(result, error, "a face of the cube texture could not be filled");
            }
            CopyLevel(fitted.Level(static_cast<int>(face), mip), locked, StorageRows(format, desc.height));
            cube->UnlockRect(face, level);
        }
    }
    *out = cube;
    return S_OK;
}

} // namespace platform
