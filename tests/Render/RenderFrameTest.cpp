#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Render/DeviceListener.h"
#include "Render/PRender.h"
#include "Render/PerspectiveCamera.h"
#include "core/GameSettings.h"
#include "platform/HeadlessGraphicsDevice.h"

using namespace platform;

namespace {

class Frame : public ::testing::Test {
  protected:
    void SetUp() override
    {
        GetGameSettings().screenWidth = 640;
        GetGameSettings().screenHeight = 480;
        render.InitDeviceState();
    }
    HeadlessGraphicsDevice device;
    CPRender render{&device};
};

// Holds a default-pool buffer, as the dynamic buffers and effects do.
struct BufferOwner : CPDeviceListener {
    BufferOwner(GraphicsDevice& device, std::vector<std::string>& events) : device(device), events(events)
    {
        Create();
    }
    ~BufferOwner() override
    {
        if (buffer)
            buffer->Release();
    }
    void Create()
    {
        device.CreateVertexBuffer(4800, usage::kDynamic | usage::kWriteOnly, 0x2D2, ResourcePool::Default,
                                  &buffer);
    }
    void OnLostDevice() override
    {
        events.push_back("lost");
        buffer->Release();
        buffer = nullptr;
    }
    void OnResetDevice() override
    {
        events.push_back("reset");
        Create();
    }
    GraphicsDevice& device;
    std::vector<std::string>& events;
    VertexBuffer* buffer = nullptr;
};

} // namespace

TEST_F(Frame, DrawsThePassesDebugLinesAndFadeThenPresents)
{
    CPPerspectiveCamera* camera = render.SetDefaultCamera();
    render.AddDebugLine(0xFFFF0000u, {10, 0, 0}, {10, 1, 0});
    render.SetFade(0.5f); // half of 255
    ASSERT_TRUE(render.RenderFrame(1.0f / 60.0f));

    EXPECT_EQ(device.GetPresentCount(), 1u);
    EXPECT_EQ(device.GetLastClear().flags, clear::kTarget | clear::kZBuffer);
    const auto& draws = device.GetLastFrameDraws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].type, PrimitiveType::LineList);
    EXPECT_EQ(draws[0].primitiveCount, 1u);
    EXPECT_EQ(draws[0].vertexFormat, 0x2D2u);
    CPMeshVertex end;
    std::memcpy(&end, device.GetLastFrameUserBytes().data() + draws[0].userOffset + 48, 48);
    EXPECT_EQ(end.position.y, 1.0f);

    EXPECT_EQ(draws[1].type, PrimitiveType::TriangleStrip);
    EXPECT_EQ(draws[1].vertexFormat, 0x144u);
    std::uint32_t colour = 0;
    std::memcpy(&colour, device.GetLastFrameUserBytes().data() + draws[1].userOffset + 16, 4);
    EXPECT_EQ(colour, 0x80000000u); // black at half strength

    // The overlays put the frame's states back; the passes leave the last
    // pass's camera (the screen pass, 195) on the device.
    EXPECT_EQ(device.GetRenderState(RenderState::Lighting), state::kTrue);
    EXPECT_EQ(device.GetRenderState(RenderState::ZEnable), state::kZBufferOn);
    EXPECT_EQ(device.GetFVF(), 0x2D2u);
    EXPECT_EQ(device.GetTextureStageState(0, StageState::ColorArg1), state::kArgTexture);
    // The screen projection follows the default camera; the lines are gone.
    EXPECT_EQ(std::memcmp(&render.GetViewProjection(), &camera->GetViewProjection(), sizeof(Matrix4)), 0);
    EXPECT_FALSE(render.HasDebugLines());

    render.SetFade(1.0f);
    ASSERT_TRUE(render.RenderFrame(1.0f / 60.0f));
    EXPECT_TRUE(device.GetLastFrameDraws().empty());
}

TEST_F(Frame, ALostDeviceSkipsFramesAndIsResetWithItsListenersInOrder)
{
    std::vector<std::string> events;
    BufferOwner first(device, events);
    BufferOwner second(device, events);
    GetGameSettings().screenWidth = 800;

    device.LoseDevice();
    render.AddDebugLine(0xFFFF0000u, {10, 0, 0}, {10, 1, 0});
    EXPECT_FALSE(render.RenderFrame(0.0f));
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(render.HasDebugLines()); // a skipped frame's lines do not pile up
    EXPECT_EQ(device.GetPresentCount(), 0u);

    device.AllowReset();
    ASSERT_TRUE(render.RenderFrame(0.0f));
    EXPECT_EQ(events, (std::vector<std::string>{"lost", "lost", "reset", "reset"}));
    EXPECT_EQ(device.GetResetCount(), 1u);
    EXPECT_EQ(device.GetPresentCount(), 1u);
    ASSERT_NE(first.buffer, nullptr);
    // The defaults are sent again, the screen camera made for the new size.
    EXPECT_EQ(device.GetRenderState(RenderState::FogStart), 0x42480000u);
    EXPECT_EQ(device.GetRenderState(RenderState::SrcBlend), 5u);
    EXPECT_EQ(render.GetPasses().at(195).GetChangeCount(), 2);
}

TEST_F(Frame, AResetRefusedForAHeldBufferTellsTheListenersOnce)
{
    std::vector<std::string> events;
    BufferOwner owner(device, events);
    VertexBuffer* stray = nullptr;
    ASSERT_EQ(device.CreateVertexBuffer(48, 0, 0x2D2, ResourcePool::Default, &stray), S_OK);
    device.LoseDevice();
    device.AllowReset();

    EXPECT_FALSE(render.RenderFrame(0.0f));
    EXPECT_FALSE(render.RenderFrame(0.0f));
    EXPECT_EQ(events, std::vector<std::string>{"lost"});

    stray->Release();
    EXPECT_TRUE(render.RenderFrame(0.0f));
    EXPECT_EQ(events, (std::vector<std::string>{"lost", "reset"}));
}
