#include "platform/gl/GlTextureUpload.h"

#include <algorithm>

#include <epoxy/gl.h>

#include "platform/BlockDecode.h"
#include "platform/MemoryTextures.h"

namespace platform {

namespace {

struct Layout {
    GLint internal;
    GLenum format;
    GLenum type;
    GLint swizzle[4];
};

// How each uncompressed format's packed bytes read as GL pixels; the
// swizzle gives the colour a missing channel has.
bool PixelLayout(PixelFormat format, Layout* out)
{
    switch (format) {
    case PixelFormat::A8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
        return true;
    case PixelFormat::X8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        return true;
    case PixelFormat::R8G8B8:
        *out = {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        return true;
    case PixelFormat::R5G6B5:
        *out = {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
        return true;
    case PixelFormat::A1R5G5B5:
        *out = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
        return true;
    case PixelFormat::A4R4G4B4:
        *out = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
        return true;
    case PixelFormat::L8:
        *out = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}};
        return true;
    case PixelFormat::A8:
        *out = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}};
        return true;
    default:
        return false;
    }
}

GLenum CompressedFormat(PixelFormat format)
{
    switch (format) {
    case PixelFormat::Dxt1:
        return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case PixelFormat::Dxt3:
        return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    default:
        return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    }
}

GLint Address(std::uint32_t value)
{
    switch (value) {
    case state::kAddressMirror:
        return GL_MIRRORED_REPEAT;
    case state::kAddressClamp:
        return GL_CLAMP_TO_EDGE;
    case 4:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

} // namespace

void UploadTexture(const MemoryTexture& texture, bool compressedOk, std::vector<std::uint8_t>& scratch)
{
    const PixelFormat format = texture.GetFormat();
    const std::uint32_t levels = texture.GetLevelCount();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels ? levels - 1 : 0));
    Layout layout{};
    const bool plain = PixelLayout(format, &layout);
    if (!plain)
        layout = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
    glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, layout.swizzle);
    for (std::uint32_t level = 0; level < levels; ++level) {
        SurfaceDesc desc;
        if (Failed(texture.GetLevelDesc(level, &desc)))
            return;
        const GLsizei w = static_cast<GLsizei>(desc.width), h = static_cast<GLsizei>(desc.height);
        const std::uint8_t* bytes = texture.GetLevelBytes(level);
        const GLint lv = static_cast<GLint>(level);
        if (plain) {
            glTexImage2D(GL_TEXTURE_2D, lv, layout.internal, w, h, 0, layout.format, layout.type, bytes);
        } else if (!IsBlockCompressed(format)) {
            glTexImage2D(GL_TEXTURE_2D, lv, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        } else if (compressedOk) {
            const GLsizei size = static_cast<GLsizei>(texture.GetLevelPitch(level) * ((desc.height + 3) / 4));
            glCompressedTexImage2D(GL_TEXTURE_2D, lv, CompressedFormat(format), w, h, 0, size, bytes);
        } else {
            DecodeBlocks(format, bytes, desc.width, desc.height, scratch);
            glTexImage2D(GL_TEXTURE_2D, lv, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, scratch.data());
        }
    }
}

void ApplySampler(const SamplerSettings& settings, bool hasMips, float maxAnisotropy)
{
    auto value = [&settings](SamplerState s) { return settings.values[static_cast<std::size_t>(s)]; };
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, Address(value(SamplerState::AddressU)));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, Address(value(SamplerState::AddressV)));
    const bool linearMag = value(SamplerState::MagFilter) >= state::kFilterLinear;
    const bool linearMin = value(SamplerState::MinFilter) >= state::kFilterLinear;
    const std::uint32_t mip = hasMips ? value(SamplerState::MipFilter) : state::kFilterNone;
    GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    if (mip == state::kFilterPoint)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip >= state::kFilterLinear)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    if (maxAnisotropy > 1.0f) {
        const bool anisotropic = value(SamplerState::MinFilter) == state::kFilterAnisotropic;
        const float wanted =
            anisotropic ? static_cast<float>(std::max(1u, value(SamplerState::MaxAnisotropy))) : 1.0f;
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(wanted, maxAnisotropy));
    }
}

} // namespace platform
