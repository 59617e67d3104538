#pragma once

#include <cstdint>

#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MathTypes.h"
#include "platform/Result.h"

// Numbers and records of the graphics device. State values that stored data
// or engine tables spell as numbers keep those numbers; the state names
// themselves are only keys into the device's tables.
namespace platform {

// Results particular to the device. The device is lost until the system
// lets it be reset; then it stays "not reset" until Reset succeeds.
constexpr HResult kDeviceLost = static_cast<HResult>(0x88760868u);
constexpr HResult kDeviceNotReset = static_cast<HResult>(0x88760869u);
constexpr HResult kInvalidCall = static_cast<HResult>(0x8876086Cu);
constexpr HResult kOutOfVideoMemory = static_cast<HResult>(0x8876017Cu);

enum class RenderState : std::uint32_t {
    ZEnable,
    ZWriteEnable,
    ZFunc,
    AlphaTestEnable,
    AlphaRef,
    AlphaFunc,
    AlphaBlendEnable,
    SrcBlend,
    DestBlend,
    CullMode,
    DitherEnable,
    Clipping,
    Lighting,
    SpecularEnable,
    Ambient,
    DiffuseMaterialSource,
    SpecularMaterialSource,
    AmbientMaterialSource,
    EmissiveMaterialSource,
    NormalizeNormals,
    FogEnable,
    FogVertexMode,
    FogTableMode,
    RangeFogEnable,
    FogStart, // float bits
    FogEnd,   // float bits
    FogDensity,
    FogColor,
    FillMode,
    Count
};

enum class SamplerState : std::uint32_t {
    AddressU,
    AddressV,
    AddressW,
    MagFilter,
    MinFilter,
    MipFilter,
    MaxAnisotropy,
    Count
};

enum class StageState : std::uint32_t {
    ColorOp,
    ColorArg1,
    ColorArg2,
    AlphaOp,
    AlphaArg1,
    AlphaArg2,
    TexCoordIndex,
    TextureTransformFlags,
    Count
};

enum class TransformState : std::uint32_t { View, Projection, World, Texture0, Texture1, Count };

constexpr std::uint32_t kMaxSamplers = 8;
constexpr std::uint32_t kMaxTextureStages = 8;
constexpr std::uint32_t kMaxLights = 64;

// Values of the states above.
namespace state {
constexpr std::uint32_t kFalse = 0;
constexpr std::uint32_t kTrue = 1;

constexpr std::uint32_t kZBufferOff = 0;
constexpr std::uint32_t kZBufferOn = 1;

constexpr std::uint32_t kBlendZero = 1;
constexpr std::uint32_t kBlendOne = 2;
constexpr std::uint32_t kBlendSrcAlpha = 5;
constexpr std::uint32_t kBlendInvSrcAlpha = 6;

constexpr std::uint32_t kCompareLess = 2;
constexpr std::uint32_t kCompareLessEqual = 4;
constexpr std::uint32_t kCompareGreaterEqual = 7;
constexpr std::uint32_t kCompareAlways = 8;

constexpr std::uint32_t kCullNone = 1;
constexpr std::uint32_t kCullClockwise = 2;
constexpr std::uint32_t kCullCounterClockwise = 3;

constexpr std::uint32_t kMaterialSourceMaterial = 0;
constexpr std::uint32_t kMaterialSourceColor1 = 1;

constexpr std::uint32_t kFogNone = 0;
constexpr std::uint32_t kFogLinear = 3;

constexpr std::uint32_t kOpDisable = 1;
constexpr std::uint32_t kOpSelectArg1 = 2;
constexpr std::uint32_t kOpSelectArg2 = 3;
constexpr std::uint32_t kOpModulate = 4;

constexpr std::uint32_t kArgDiffuse = 0;
constexpr std::uint32_t kArgCurrent = 1;
constexpr std::uint32_t kArgTexture = 2;

constexpr std::uint32_t kAddressWrap = 1;
constexpr std::uint32_t kAddressMirror = 2;
constexpr std::uint32_t kAddressClamp = 3;

constexpr std::uint32_t kFilterNone = 0;
constexpr std::uint32_t kFilterPoint = 1;
constexpr std::uint32_t kFilterLinear = 2;
constexpr std::uint32_t kFilterAnisotropic = 3;
} // namespace state

// Flexible vertex format bits: which fields a vertex holds, in this order.
namespace fvf {
constexpr std::uint32_t kPosition = 0x002;
constexpr std::uint32_t kPositionRhw = 0x004; // pre-transformed x, y, z, 1/w
constexpr std::uint32_t kNormal = 0x010;
constexpr std::uint32_t kDiffuse = 0x040;
constexpr std::uint32_t kSpecular = 0x080;
constexpr std::uint32_t kTexCountShift = 8;
constexpr std::uint32_t kTex1 = 0x100;
constexpr std::uint32_t kTex2 = 0x200;
constexpr std::uint32_t kTexCountMask = 0xF00;
} // namespace fvf

// Bytes of one vertex of the given format; 0 for a format without a
// position (which the device refuses).
std::uint32_t VertexSize(std::uint32_t format);

enum class PrimitiveType : std::uint32_t {
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

// Vertices (or indices) that a draw of the given number of primitives
// reads; 0 when the count is 0.
inline std::uint32_t VerticesForPrimitives(PrimitiveType type, std::uint32_t primitiveCount)
{
    if (primitiveCount == 0)
        return 0;
    switch (type) {
    case PrimitiveType::PointList:
        return primitiveCount;
    case PrimitiveType::LineList:
        return primitiveCount * 2;
    case PrimitiveType::LineStrip:
        return primitiveCount + 1;
    case PrimitiveType::TriangleList:
        return primitiveCount * 3;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan:
        return primitiveCount + 2;
    }
    return 0;
}

enum class PixelFormat : std::uint32_t {
    Unknown,
    A8R8G8B8,
    X8R8G8B8,
    R8G8B8,
    R5G6B5,
    A1R5G5B5,
    A4R4G4B4,
    L8,
    A8,
    Dxt1,
    Dxt3,
    Dxt5,
};

enum class IndexFormat : std::uint32_t { Index16, Index32 };

// Bytes of one pixel, or of one 4x4 block for the block-compressed formats.
std::uint32_t FormatUnitBytes(PixelFormat format);
bool IsBlockCompressed(PixelFormat format);

enum class ResourcePool : std::uint32_t { Default, Managed, SystemMemory };

namespace usage {
constexpr std::uint32_t kWriteOnly = 0x008;
constexpr std::uint32_t kDynamic = 0x200;
} // namespace usage

namespace lock {
constexpr std::uint32_t kReadOnly = 0x0010;
constexpr std::uint32_t kNoSysLock = 0x0800;
constexpr std::uint32_t kNoOverwrite = 0x1000;
constexpr std::uint32_t kDiscard = 0x2000;
} // namespace lock

namespace clear {
constexpr std::uint32_t kTarget = 1;
constexpr std::uint32_t kZBuffer = 2;
constexpr std::uint32_t kStencil = 4;
} // namespace clear

// What the device can do, as far as the engine asks.
struct DeviceCaps {
    std::uint32_t maxAnisotropy = 16;
    std::uint32_t maxTextureWidth = 4096;
    std::uint32_t maxTextureHeight = 4096;
    std::uint32_t maxActiveLights = 64;
    std::uint32_t maxPrimitiveCount = 0xFFFFF;
};

struct PresentParameters {
    std::uint32_t backBufferWidth = 640;
    std::uint32_t backBufferHeight = 480;
    PixelFormat backBufferFormat = PixelFormat::X8R8G8B8;
    bool windowed = true;
    // Presenting waits for the display's vertical blank, where the driver
    // offers it; a late frame is shown at once rather than a blank later.
    bool waitForVerticalSync = true;
};

// A float render state travels as the bits of the float.
std::uint32_t FloatBits(float value);
float BitsToFloat(std::uint32_t bits);

} // namespace platform
