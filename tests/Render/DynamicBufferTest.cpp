#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "Render/PIVertexBuffer.h"
#include "Render/RenderObject.h"
#include "platform/HeadlessGraphicsDevice.h"
#include "support/ScratchFolder.h"

using namespace platform;

namespace {

// A mesh of `vertices` vertices (x = 100 + k) and the given indices.
void Fill(CPRenderObject& mesh, int vertices, std::vector<std::uint16_t> indices)
{
    for (int k = 0; k < vertices; ++k) {
        CPMeshVertex vertex;
        vertex.position = {100.0f + static_cast<float>(k), 0.0f, 0.0f};
        mesh.GetVertices().push_back(vertex);
    }
    mesh.GetWorldVertices() = mesh.GetVertices();
    mesh.GetIndices() = std::move(indices);
}

class DynamicBuffer : public ::testing::Test {
  protected:
    // Slots of 8 vertices and 12 indices.
    HeadlessGraphicsDevice device;
    LogCapture log;
    CPIVertexBuffer buffer{&device, 3, 8, 12};

    std::vector<std::uint16_t> Indices(int slot, int count) const
    {
        std::vector<std::uint16_t> indices(static_cast<std::size_t>(count));
        std::memcpy(indices.data(), AsMemory(buffer.GetIndexBuffer(slot))->GetBytes(), indices.size() * 2);
        return indices;
    }
    float VertexX(int slot, int index) const
    {
        CPMeshVertex vertex;
        std::memcpy(&vertex, AsMemory(buffer.GetVertexBuffer(slot))->GetBytes() + index * 48, 48);
        return vertex.position.x;
    }
};

} // namespace

TEST_F(DynamicBuffer, TheRingHasDynamicWriteOnlySlotsInTheDefaultPool)
{
    for (int slot = 0; slot < 3; ++slot) {
        ASSERT_NE(buffer.GetVertexBuffer(slot), nullptr);
        EXPECT_EQ(buffer.GetVertexBuffer(slot)->GetLength(), 8u * 48u);
        EXPECT_EQ(buffer.GetIndexBuffer(slot)->GetLength(), 12u * 2u);
        EXPECT_EQ(buffer.GetVertexBuffer(slot)->GetUsage(), usage::kDynamic | usage::kWriteOnly);
        EXPECT_EQ(buffer.GetIndexBuffer(slot)->GetFormat(), IndexFormat::Index16);
    }
    EXPECT_EQ(device.GetLiveResourceCount(ResourcePool::Default), 6u);
}

TEST_F(DynamicBuffer, LocksWalkTheRingAndASecondLockChangesNothing)
{
    // Unlocking what is not locked keeps the slot.
    buffer.Unlock(true);
    EXPECT_EQ(buffer.GetCurrentSlot(), 0);

    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(buffer.Lock(4, 6, true, -1));
        EXPECT_TRUE(buffer.GetVertexBuffer(round)->IsLocked());
        EXPECT_EQ(AsMemory(buffer.GetVertexBuffer(round))->GetLastLockFlags(),
                  lock::kNoSysLock | lock::kDiscard);
        EXPECT_FALSE(buffer.Lock(4, 6, true, 2));
        EXPECT_EQ(buffer.GetCurrentSlot(), round);
        buffer.Unlock(true);
        EXPECT_FALSE(buffer.GetVertexBuffer(round)->IsLocked());
        EXPECT_FALSE(buffer.GetIndexBuffer(round)->IsLocked());
    }
    EXPECT_EQ(buffer.GetCurrentSlot(), 0);

    // A slot named outright; appending keeps the old contents.
    buffer.SetAppend(true);
    ASSERT_TRUE(buffer.Lock(0, 0, true, 2));
    EXPECT_EQ(AsMemory(buffer.GetIndexBuffer(2))->GetLastLockFlags(), lock::kNoSysLock);
    buffer.Unlock(true);
    EXPECT_EQ(buffer.GetCurrentSlot(), 0);
    EXPECT_EQ(buffer.GetFilledSlot(), 2);
}

TEST_F(DynamicBuffer, RequestsTheRingCannotHoldAreRefused)
{
    struct Case {
        const char* what;
        int vertices, indices, slot;
    };
    const Case cases[] = {
        {"a slot past the ring", 4, 6, 3},       {"a negative slot other than -1", 4, 6, -2},
        {"a negative count", -1, 6, -1},         {"more vertices than a slot", 9, 6, -1},
        {"more indices than a slot", 4, 13, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(buffer.Lock(c.vertices, c.indices, true, c.slot));
        EXPECT_FALSE(buffer.IsLocked());
        EXPECT_EQ(buffer.GetCurrentSlot(), 0);
        EXPECT_FALSE(buffer.GetVertexBuffer(0)->IsLocked());
        EXPECT_FALSE(buffer.GetIndexBuffer(0)->IsLocked());
    }
    ASSERT_TRUE(buffer.Lock(8, 12, true, -1));
}

TEST_F(DynamicBuffer, RenderablesAreWrittenOnceWithIndicesOffsetByTheVerticesBefore)
{
    CPRenderObject first(nullptr), second(nullptr), empty(nullptr);
    Fill(first, 3, {0, 1, 2});
    Fill(second, 4, {0, 1, 2, 0, 2, 3});
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));

    EXPECT_TRUE(buffer.AddRenderable(first));
    EXPECT_TRUE(buffer.AddRenderable(second));
    EXPECT_FALSE(buffer.AddRenderable(first)); // written already
    EXPECT_FALSE(buffer.AddRenderable(empty)); // no vertices: not remembered
    EXPECT_EQ(buffer.FindWritten(&first), 0);
    EXPECT_EQ(buffer.FindWritten(&second), 3);
    EXPECT_EQ(buffer.FindWritten(&empty), -1);
    EXPECT_EQ(buffer.GetVerticesWritten(), 7);
    EXPECT_EQ(buffer.GetIndicesWritten(), 9);
    EXPECT_EQ(buffer.GetNextBaseVertex(), 7);
    buffer.Unlock(true);

    EXPECT_EQ(Indices(0, 9), (std::vector<std::uint16_t>{0, 1, 2, 3, 4, 5, 3, 5, 6}));
    EXPECT_EQ(VertexX(0, 2), 102.0f);
    EXPECT_EQ(VertexX(0, 3), 100.0f);

    // The map and the base outlive the lock until the owner empties them.
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    EXPECT_FALSE(buffer.AddRenderable(first));
    buffer.ClearWritten();
    EXPECT_TRUE(buffer.AddRenderable(first));
    EXPECT_EQ(buffer.FindWritten(&first), 0);
}

TEST_F(DynamicBuffer, ARenderableThatWritesNothingLeavesDegenerateIndices)
{
    CPRenderObject first(nullptr), disabled(nullptr);
    Fill(first, 3, {0, 1, 2});
    Fill(disabled, 3, {0, 1, 2});
    disabled.SetDisabled(true);
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    EXPECT_TRUE(buffer.AddRenderable(first));
    EXPECT_TRUE(buffer.AddRenderable(disabled));
    buffer.Unlock(true);
    // Every index of the silent renderable names its first vertex: its
    // triangles have no area, whatever the slot held before.
    EXPECT_EQ(Indices(0, 6), (std::vector<std::uint16_t>{0, 1, 2, 3, 3, 3}));
}

TEST_F(DynamicBuffer, WritesThatDoNotFitAreRefused)
{
    CPRenderObject mesh(nullptr), big(nullptr);
    Fill(mesh, 3, {0, 1, 2});
    Fill(big, 5, {0, 1, 2, 2, 3, 4});

    EXPECT_FALSE(buffer.AddRenderable(mesh)); // nothing locked
    ASSERT_TRUE(buffer.Lock(4, 6, false, -1));
    EXPECT_FALSE(buffer.AddRenderable(mesh)); // only the indices are locked
    buffer.Unlock(false);

    ASSERT_TRUE(buffer.Lock(7, 12, true, -1));
    EXPECT_TRUE(buffer.AddRenderable(mesh));
    EXPECT_FALSE(buffer.AddRenderable(big)); // 8 vertices locked for 7
    EXPECT_EQ(buffer.FindWritten(&big), -1);
    EXPECT_EQ(buffer.GetVerticesWritten(), 3);
    buffer.Unlock(true);
    EXPECT_TRUE(log.Contains("does not fit in the locked range"));
    EXPECT_TRUE(log.Contains("no vertex range is locked"));
}

TEST(DynamicBufferBase, VerticesBeyondWhatSixteenBitIndicesReachAreRefused)
{
    HeadlessGraphicsDevice device;
    LogCapture log;
    CPIVertexBuffer buffer(&device, 1, 70000, 12);
    CPRenderObject most(nullptr), next(nullptr);
    Fill(most, 65535, {0, 1, 2});
    Fill(next, 2, {0, 1, 1});
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    EXPECT_TRUE(buffer.AddRenderable(most));
    EXPECT_FALSE(buffer.AddRenderable(next)); // would need base vertices 65535 and 65536
    buffer.Unlock(true);
}

TEST_F(DynamicBuffer, AFailedLockIsReportedAndLeavesNothingLocked)
{
    struct Case {
        const char* what;
        std::uint32_t skip; // locks that succeed first
        int line;
    };
    const Case cases[] = {{"the vertex buffer", 0, 167}, {"the index buffer", 1, 190}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        device.FailNext(DeviceFailure::Lock, 1, c.skip);
        EXPECT_FALSE(buffer.Lock(4, 6, true, -1));
        EXPECT_FALSE(buffer.IsLocked());
        EXPECT_FALSE(buffer.GetVertexBuffer(0)->IsLocked());
        EXPECT_FALSE(buffer.GetIndexBuffer(0)->IsLocked());
        EXPECT_TRUE(log.Contains("DXError if Render\\PIVertexBuffer on line " + std::to_string(c.line)));
    }
    // The slot is usable again at once.
    EXPECT_TRUE(buffer.Lock(4, 6, true, -1));
}

TEST_F(DynamicBuffer, TheRingGoesWithALostDeviceAndComesBackAfterTheReset)
{
    ASSERT_TRUE(buffer.Lock(4, 6, true, -1));
    device.LoseDevice();
    device.AllowReset();
    NotifyDeviceLost();
    EXPECT_FALSE(buffer.IsLocked());
    EXPECT_EQ(buffer.GetVertexBuffer(0), nullptr);
    EXPECT_FALSE(buffer.Lock(4, 6, true, -1));

    ASSERT_EQ(device.Reset(device.GetPresentParameters()), S_OK);
    NotifyDeviceReset();
    ASSERT_NE(buffer.GetVertexBuffer(2), nullptr);
    EXPECT_TRUE(buffer.Lock(4, 6, true, -1));
}

TEST(DynamicBufferCreation, AFailedCreationIsReportedAndLocksFail)
{
    HeadlessGraphicsDevice device;
    LogCapture log;
    device.FailNext(DeviceFailure::CreateIndexBuffer);
    CPIVertexBuffer buffer(&device, 2, 8, 12);
    EXPECT_TRUE(log.Contains("DXError if Render\\PIVertexBuffer on line"));
    EXPECT_EQ(device.GetLiveResourceCount(), 0u);
    EXPECT_FALSE(buffer.Lock(4, 6, true, -1));
    EXPECT_TRUE(log.Contains("the buffers are gone"));
}
