#include "platform/HeadlessGraphicsDevice.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

using namespace platform;

namespace {

// A vertex buffer of `count` vertices of 12 bytes and an index buffer of
// the given 16-bit indices, both filled and bound.
struct BoundTriangles {
    explicit BoundTriangles(GraphicsDevice& device, std::uint32_t count,
                            const std::vector<std::uint16_t>& indices)
    {
        EXPECT_EQ(device.CreateVertexBuffer(count * 12, usage::kWriteOnly, fvf::kPosition,
                                            ResourcePool::Managed, &vertices),
                  S_OK);
        EXPECT_EQ(device.CreateIndexBuffer(static_cast<std::uint32_t>(indices.size() * 2), usage::kWriteOnly,
                                           IndexFormat::Index16, ResourcePool::Managed, &indexBuffer),
                  S_OK);
        void* data = nullptr;
        EXPECT_EQ(indexBuffer->Lock(0, 0, &data, 0), S_OK);
        std::memcpy(data, indices.data(), indices.size() * 2);
        indexBuffer->Unlock();
        device.SetStreamSource(0, vertices, 0, 12);
        device.SetIndices(indexBuffer);
    }
    ~BoundTriangles()
    {
        vertices->Release();
        indexBuffer->Release();
    }
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indexBuffer = nullptr;
};

} // namespace

TEST(GraphicsTypes, VertexSizesFollowTheFormatBits)
{
    EXPECT_EQ(VertexSize(0x2D2), 48u); // position, normal, two colours, two uv pairs
    EXPECT_EQ(VertexSize(0x144), 28u); // pre-transformed position, diffuse, one uv pair
    EXPECT_EQ(VertexSize(fvf::kPosition), 12u);
    EXPECT_EQ(VertexSize(fvf::kNormal | fvf::kDiffuse), 0u); // no position
    EXPECT_EQ(FloatBits(50.0f), 0x42480000u);
    EXPECT_EQ(BitsToFloat(0x43340000u), 180.0f);
}

TEST(GraphicsBuffer, LocksAreBoundsCheckedAndExclusive)
{
    HeadlessGraphicsDevice device;
    VertexBuffer* buffer = nullptr;
    ASSERT_EQ(device.CreateVertexBuffer(96, usage::kWriteOnly, 0x2D2, ResourcePool::Managed, &buffer), S_OK);
    void* data = nullptr;

    struct Case {
        std::uint32_t offset, size;
        bool ok;
    } cases[] = {{0, 0, true},    {0, 96, true},  {48, 48, true}, {48, 0, true},
                 {49, 48, false}, {0, 97, false}, {97, 0, false}, {0xFFFFFFF0u, 32, false}};
    for (const Case& c : cases) {
        HResult result = buffer->Lock(c.offset, c.size, &data, 0);
        EXPECT_EQ(Succeeded(result), c.ok) << c.offset << "+" << c.size;
        if (c.ok) {
            EXPECT_EQ(data, AsMemory(buffer)->GetBytes() + c.offset);
            EXPECT_EQ(buffer->Unlock(), S_OK);
        } else {
            EXPECT_EQ(data, nullptr);
            EXPECT_FALSE(buffer->IsLocked());
        }
    }

    ASSERT_EQ(buffer->Lock(0, 0, &data, lock::kDiscard), S_OK);
    std::memset(data, 0xAB, 96);
    void* second = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &second, 0), kInvalidCall);
    EXPECT_EQ(buffer->Unlock(), S_OK);
    EXPECT_EQ(buffer->Unlock(), kInvalidCall);
    EXPECT_EQ(AsMemory(buffer)->GetLastLockFlags(), lock::kDiscard);
    EXPECT_EQ(AsMemory(buffer)->GetBytes()[95], 0xAB);
    buffer->Release();
}

TEST(GraphicsBuffer, InjectedFailuresRefuseCreationAndLocks)
{
    HeadlessGraphicsDevice device;
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
    device.FailNext(DeviceFailure::CreateVertexBuffer);
    EXPECT_TRUE(Failed(device.CreateVertexBuffer(48, 0, 0x2D2, ResourcePool::Managed, &vertices)));
    EXPECT_EQ(vertices, nullptr);
    ASSERT_EQ(device.CreateVertexBuffer(48, 0, 0x2D2, ResourcePool::Managed, &vertices), S_OK);

    EXPECT_EQ(device.CreateIndexBuffer(3, 0, IndexFormat::Index16, ResourcePool::Managed, &indices),
              kInvalidCall);
    ASSERT_EQ(device.CreateIndexBuffer(6, 0, IndexFormat::Index16, ResourcePool::Managed, &indices), S_OK);
    EXPECT_EQ(indices->GetIndexCount(), 3u);

    device.FailNext(DeviceFailure::Lock);
    void* data = nullptr;
    EXPECT_TRUE(Failed(vertices->Lock(0, 0, &data, 0)));
    EXPECT_FALSE(vertices->IsLocked());
    EXPECT_EQ(vertices->Lock(0, 0, &data, 0), S_OK);
    vertices->Unlock();
    EXPECT_EQ(device.GetLiveResourceCount(), 2u);
    vertices->Release();
    indices->Release();
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);
}

TEST(Texture, LevelsHoldPackedMemoryAndLockRectsInsideThem)
{
    HeadlessGraphicsDevice device;
    Texture* texture = nullptr;
    ASSERT_EQ(device.CreateTexture(8, 2, 0, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &texture), S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 4u); // 8x2, 4x1, 2x1, 1x1
    SurfaceDesc desc;
    ASSERT_EQ(texture->GetLevelDesc(2, &desc), S_OK);
    EXPECT_EQ(desc.width, 2u);
    EXPECT_EQ(desc.height, 1u);
    EXPECT_EQ(texture->GetLevelDesc(4, &desc), kInvalidCall);

    LockedRect locked;
    PixelRect rect{2, 1, 4, 2};
    ASSERT_EQ(texture->LockRect(0, &locked, &rect, 0), S_OK);
    EXPECT_EQ(locked.pitch, 32);
    static_cast<std::uint32_t*>(locked.bits)[0] = 0xFF112233u;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), kInvalidCall); // already locked
    EXPECT_EQ(texture->UnlockRect(0), S_OK);
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, AsMemory(texture)->GetLevelBytes(0) + 32 + 2 * 4, 4);
    EXPECT_EQ(pixel, 0xFF112233u);

    PixelRect outside{6, 0, 9, 1};
    EXPECT_EQ(texture->LockRect(0, &locked, &outside, 0), kInvalidCall);
    EXPECT_EQ(texture->UnlockRect(1), kInvalidCall);
    texture->Release();

    EXPECT_EQ(device.CreateTexture(8, 8, 5, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &texture),
              kInvalidCall); // 8x8 has only 4 levels
    ASSERT_EQ(device.CreateTexture(8, 8, 1, 0, PixelFormat::Dxt1, ResourcePool::Managed, &texture), S_OK);
    EXPECT_EQ(AsMemory(texture)->GetLevelPitch(0), 16u); // two 8-byte blocks a row
    texture->Release();
}

TEST(GraphicsDevice, KeepsStatesTransformsLightsAndCallOrder)
{
    HeadlessGraphicsDevice device;
    device.SetCallLogging(true);
    Matrix4 view;
    view.m[3][2] = 14.5f;
    device.SetTransform(TransformState::View, view);
    device.SetRenderState(RenderState::FogStart, FloatBits(50.0f));
    device.SetSamplerState(1, SamplerState::AddressU, state::kAddressClamp);
    device.SetTextureStageState(2, StageState::ColorOp, state::kOpDisable);
    Light light;
    light.type = LightType::Directional;
    light.direction = {0.0f, 0.0f, -1.0f};
    device.SetLight(3, light);
    device.LightEnable(3, true);
    device.SetFVF(0x2D2);

    Matrix4 read;
    ASSERT_EQ(device.GetTransform(TransformState::View, &read), S_OK);
    EXPECT_EQ(read.m[3][2], 14.5f);
    EXPECT_EQ(device.GetRenderState(RenderState::FogStart), 0x42480000u);
    EXPECT_EQ(device.GetSamplerState(1, SamplerState::AddressU), 3u);
    EXPECT_EQ(device.GetTextureStageState(2, StageState::ColorOp), 1u);
    Light readLight;
    ASSERT_EQ(device.GetLight(3, &readLight), S_OK);
    EXPECT_EQ(readLight.type, LightType::Directional);
    EXPECT_TRUE(device.IsLightEnabled(3));
    EXPECT_EQ(device.GetLight(4, &readLight), kInvalidCall);
    EXPECT_EQ(device.SetSamplerState(kMaxSamplers, SamplerState::AddressU, 1), kInvalidCall);
    EXPECT_EQ(device.SetLight(kMaxLights, light), kInvalidCall);

    const auto& log = device.GetCallLog();
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0].kind, DeviceCall::Kind::Transform);
    EXPECT_EQ(log[1].kind, DeviceCall::Kind::RenderState);
    EXPECT_EQ(log[2].kind, DeviceCall::Kind::SamplerState);
    EXPECT_EQ(log[2].index, 1u);
    EXPECT_EQ(log[5].kind, DeviceCall::Kind::LightEnable);
    EXPECT_EQ(log[6].value, 0x2D2u);
}

// The index read is a switch: off (a release build's default), a draw is
// still held to its buffers but its indices are not read.
TEST(GraphicsDevice, TheIndexCheckOfDrawsCanBeSwitchedOff)
{
    HeadlessGraphicsDevice device;
    BoundTriangles bound(device, 4, {0, 1, 2, 2, 1, 3});
    ASSERT_EQ(device.BeginScene(), S_OK);
    const bool was = HeadlessGraphicsDevice::IsDrawIndexCheckOn();
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        HeadlessGraphicsDevice::SetDrawIndexCheck(on);
        // Index 3 lies outside the three vertices declared.
        EXPECT_EQ(Succeeded(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, 3, 0, 2)), !on);
        EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 1, 0, 4, 0, 2), kInvalidCall);
        EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, 4, 3, 2), kInvalidCall);
    }
    HeadlessGraphicsDevice::SetDrawIndexCheck(was);
    EXPECT_EQ(device.EndScene(), S_OK);
}

TEST(GraphicsDevice, DrawsAreCheckedAndListedPerFrame)
{
    HeadlessGraphicsDevice device;
    BoundTriangles bound(device, 4, {0, 1, 2, 2, 1, 3});

    EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, 4, 0, 2),
              kInvalidCall); // no scene
    ASSERT_EQ(device.BeginScene(), S_OK);
    EXPECT_EQ(device.BeginScene(), kInvalidCall);

    struct Case {
        std::int32_t base;
        std::uint32_t minIndex, vertexCount, startIndex, primitives;
        bool ok;
    } cases[] = {
        {0, 0, 4, 0, 2, true},  {0, 0, 4, 3, 1, true}, {0, 0, 4, 3, 2, false}, // runs past the six indices
        {1, 0, 4, 0, 2, false},                                                // vertex 4 is past the buffer
        {0, 0, 3, 0, 2, false}, // index 3 outside the declared range
        {-1, 1, 3, 3, 1, true}, // indices 1..3 map to vertices 0..2
    };
    for (const Case& c : cases)
        EXPECT_EQ(Succeeded(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, c.base, c.minIndex,
                                                        c.vertexCount, c.startIndex, c.primitives)),
                  c.ok)
            << c.base << " " << c.startIndex << " " << c.primitives;

    void* data = nullptr;
    bound.vertices->Lock(0, 0, &data, 0);
    EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, 4, 0, 2), kInvalidCall);
    bound.vertices->Unlock();

    const float strip[4][7] = {
        {0, 0, 1, 1, 0, 0, 0}, {0, 1, 1, 1, 0, 0, 1}, {1, 0, 1, 1, 0, 1, 0}, {1, 1, 1, 1, 0, 1, 1}};
    device.SetFVF(0x144);
    EXPECT_EQ(device.DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, strip, 28), S_OK);
    EXPECT_EQ(device.Present(), kInvalidCall); // still in the scene
    ASSERT_EQ(device.EndScene(), S_OK);

    const auto& draws = device.GetFrameDraws();
    ASSERT_EQ(draws.size(), 4u);
    EXPECT_EQ(draws[0].kind, DrawRecord::Kind::IndexedPrimitive);
    EXPECT_EQ(draws[0].indexBuffer, bound.indexBuffer);
    EXPECT_EQ(draws[2].baseVertex, -1);
    EXPECT_EQ(draws[3].kind, DrawRecord::Kind::UserPrimitive);
    EXPECT_EQ(draws[3].type, PrimitiveType::TriangleStrip);
    EXPECT_EQ(draws[3].vertexFormat, 0x144u);
    EXPECT_EQ(draws[3].userLength, 112u);
    EXPECT_EQ(std::memcmp(device.GetFrameUserBytes().data() + draws[3].userOffset, strip, 112), 0);

    ASSERT_EQ(device.Present(), S_OK);
    EXPECT_TRUE(device.GetFrameDraws().empty());
    EXPECT_EQ(device.GetLastFrameDraws().size(), 4u);
    EXPECT_EQ(device.GetDrawCount(), 4u);
    EXPECT_EQ(device.GetPresentCount(), 1u);
}

// The device remembers which index ranges it has read; a lock that changes
// the indices must make it read them again.
TEST(GraphicsDevice, IndicesWrittenAfterADrawAreCheckedAgain)
{
    HeadlessGraphicsDevice device;
    BoundTriangles bound(device, 4, {0, 1, 2, 2, 1, 3});
    ASSERT_EQ(device.BeginScene(), S_OK);
    const auto drawBoth = [&] {
        return device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, 4, 0, 2);
    };
    const auto setLastIndex = [&](std::uint16_t index) {
        void* data = nullptr;
        ASSERT_EQ(bound.indexBuffer->Lock(10, 2, &data, 0), S_OK);
        std::memcpy(data, &index, 2);
        bound.indexBuffer->Unlock();
    };
    ASSERT_EQ(drawBoth(), S_OK);
    setLastIndex(4); // one past the four vertices the draw declares
    EXPECT_EQ(drawBoth(), kInvalidCall);
    EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 0, 4, 0, 1), S_OK);
    setLastIndex(3);
    EXPECT_EQ(drawBoth(), S_OK);
    EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 1, 3, 3, 1), S_OK);
    EXPECT_EQ(device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 2, 2, 3, 1), kInvalidCall);
    ASSERT_EQ(device.EndScene(), S_OK);
}

TEST(GraphicsDevice, ReleasingABoundResourceUnbindsIt)
{
    HeadlessGraphicsDevice device;
    Texture* texture = nullptr;
    ASSERT_EQ(device.CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &texture), S_OK);
    device.SetTexture(0, texture);
    EXPECT_EQ(device.GetTexture(0), texture);
    texture->AddRef();
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(device.GetTexture(0), nullptr);
}

TEST(GraphicsDevice, LossAndResetFollowTheCooperativeLevel)
{
    HeadlessGraphicsDevice device;
    device.SetRenderState(RenderState::Lighting, state::kFalse);
    VertexBuffer* dynamic = nullptr;
    ASSERT_EQ(device.CreateVertexBuffer(480, usage::kDynamic | usage::kWriteOnly, 0x2D2,
                                        ResourcePool::Default, &dynamic),
              S_OK);
    VertexBuffer* managed = nullptr;
    ASSERT_EQ(device.CreateVertexBuffer(48, usage::kWriteOnly, 0x2D2, ResourcePool::Managed, &managed), S_OK);

    device.LoseDevice();
    EXPECT_EQ(device.TestCooperativeLevel(), kDeviceLost);
    EXPECT_EQ(device.Present(), kDeviceLost);
    EXPECT_EQ(device.Reset({}), kDeviceLost); // not yet
    device.AllowReset();
    EXPECT_EQ(device.TestCooperativeLevel(), kDeviceNotReset);
    EXPECT_EQ(device.Reset({}), kInvalidCall); // a default-pool buffer still lives
    dynamic->Release();

    PresentParameters larger;
    larger.backBufferWidth = 1024;
    larger.backBufferHeight = 768;
    ASSERT_EQ(device.Reset(larger), S_OK);
    EXPECT_EQ(device.TestCooperativeLevel(), S_OK);
    EXPECT_EQ(device.GetResetCount(), 1u);
    EXPECT_EQ(device.GetPresentParameters().backBufferWidth, 1024u);
    EXPECT_EQ(device.GetRenderState(RenderState::Lighting), state::kTrue); // states back to their defaults
    EXPECT_EQ(device.GetLiveResourceCount(ResourcePool::Managed), 1u);     // managed memory survives
    managed->Release();
}

TEST(GraphicsDevice, ResourcesOutliveTheirDevice)
{
    Texture* texture = nullptr;
    {
        DeviceCaps caps;
        caps.maxAnisotropy = 4;
        HeadlessGraphicsDevice device({}, caps);
        DeviceCaps read;
        ASSERT_EQ(device.GetDeviceCaps(&read), S_OK);
        EXPECT_EQ(read.maxAnisotropy, 4u);
        ASSERT_EQ(device.CreateTexture(2, 2, 1, 0, PixelFormat::L8, ResourcePool::Managed, &texture), S_OK);
    }
    EXPECT_EQ(texture->GetDevice(), nullptr);
    texture->Release();
}

// Each device binds only what it made itself: another device's resource
// is of another kind underneath, whatever interface it is handed through.
TEST(GraphicsDevice, ResourcesOfAnotherDeviceAreRefused)
{
    HeadlessGraphicsDevice maker;
    HeadlessGraphicsDevice other;
    Texture* texture = nullptr;
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
    ASSERT_EQ(maker.CreateTexture(4, 4, 1, 0, PixelFormat::A8R8G8B8, ResourcePool::Managed, &texture), S_OK);
    ASSERT_EQ(maker.CreateVertexBuffer(48, 0, 0x2D2, ResourcePool::Managed, &vertices), S_OK);
    ASSERT_EQ(maker.CreateIndexBuffer(12, 0, IndexFormat::Index16, ResourcePool::Managed, &indices), S_OK);
    EXPECT_EQ(texture->GetDevice(), &maker);
    EXPECT_NE(AsMemory(texture), nullptr); // the headless device's are memory
    EXPECT_NE(AsMemory(vertices), nullptr);
    EXPECT_NE(AsMemory(indices), nullptr);

    EXPECT_EQ(other.SetTexture(0, texture), kInvalidCall);
    EXPECT_EQ(other.SetStreamSource(0, vertices, 0, 48), kInvalidCall);
    EXPECT_EQ(other.SetIndices(indices), kInvalidCall);
    EXPECT_EQ(other.GetTexture(0), nullptr);
    EXPECT_EQ(maker.SetTexture(0, texture), S_OK);
    EXPECT_EQ(maker.SetStreamSource(0, vertices, 0, 48), S_OK);
    EXPECT_EQ(maker.SetIndices(indices), S_OK);
    EXPECT_EQ(maker.GetLiveResourceCount(), 3u);
    EXPECT_EQ(other.GetLiveResourceCount(), 0u);
    texture->Release();
    vertices->Release();
    indices->Release();
    EXPECT_EQ(maker.GetLiveResourceCount(), 0u);
}
