#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Render/DeviceListener.h"
#include "Render/MeshVertex.h"
#include "platform/GraphicsDevice.h"
#include "platform/MathTypes.h"
#include "platform/Result.h"

namespace platform {
class Effect;
}

// The device the sky's drawables draw with. Null until the start-up code
// stores the renderer's device here; until then nothing of the sky draws.
platform::GraphicsDevice* GetSkyDevice();
void SetSkyDevice(platform::GraphicsDevice* device);

// Base of every drawable of the sky (dome, sky parts, volume clouds): a
// source and a drawing list of mesh vertices, a triangle list of 16-bit
// indices, one texture and two effects, and buffers made on the first fill
// to its size and reused for every later one that fits them. Loads read through the
// renderer's device; Draw goes through the sky's device.
class CPVertexObject : public CPDeviceListener {
  public:
    static constexpr std::uint32_t kMaxVertices = 20000;
    static constexpr std::uint32_t kMaxIndices = 60000;

    CPVertexObject();
    ~CPVertexObject() override;

    CPVertexObject(const CPVertexObject&) = delete;
    CPVertexObject& operator=(const CPVertexObject&) = delete;

    void OnLostDevice() override;
    void OnResetDevice() override;

    // A failed creation keeps the texture held before. The result is the
    // read's failure code or the creation's result.
    HResult LoadTexture(const std::string& fileName);
    // The effect held is let go first, so a failed load leaves none.
    HResult LoadEffectA(const std::string& fileName);
    HResult LoadEffectB(const std::string& fileName);

    // Positions of the source vertices, transformed, into the same places
    // of the drawing list; its other fields stay as they are. A drawing
    // list shorter than the source list is first grown from the source.
    HResult TransformVertices(const Matrix4& matrix);
    // Takes the lists and copies them into the buffers. With `keepDrawing`
    // the drawing list made by TransformVertices is kept. Lists that do
    // not fit the buffers are refused whole (E_FAIL, with a log line).
    HResult FillBuffers(const std::vector<CPMeshVertex>& vertices, const std::vector<std::uint16_t>& indices,
                        bool keepDrawing);
    // One triangle list of the drawing list, through effect A (or B when
    // chosen), or without an effect when effect A is missing.
    HResult Draw();

    void SetUseEffectB(bool use) { m_useEffectB = use ? 1 : 0; }
    bool GetUseEffectB() const { return m_useEffectB != 0; }

    const std::vector<CPMeshVertex>& GetDrawingList() const { return m_drawingList; }
    const std::vector<CPMeshVertex>& GetSourceList() const { return m_sourceList; }
    const std::vector<std::uint16_t>& GetIndices() const { return m_indices; }
    const platform::Texture* GetTexture() const { return m_texture; }
    platform::Effect* GetEffectA() const { return m_effectA.get(); }
    platform::Effect* GetEffectB() const { return m_effectB.get(); }
    const platform::VertexBuffer* GetVertexBuffer() const { return m_vertexBuffer; }
    const platform::IndexBuffer* GetIndexBuffer() const { return m_indexBuffer; }

  protected:
    std::vector<CPMeshVertex>& DrawingList() { return m_drawingList; }
    std::vector<CPMeshVertex>& SourceList() { return m_sourceList; }

  private:
    HResult LoadEffect(const std::string& fileName, std::unique_ptr<platform::Effect>& effect,
                       int failureLine);
    // Buffers for that many vertices and indices, in place of any held.
    HResult CreateBuffers(std::uint32_t vertices, std::uint32_t indices);
    HResult CopyIntoBuffers();
    HResult DrawWithEffect(platform::GraphicsDevice* device, platform::Effect* effect);

    std::vector<CPMeshVertex> m_drawingList;
    std::vector<CPMeshVertex> m_sourceList;
    std::vector<std::uint16_t> m_indices;
    Matrix4 m_transform;
    platform::Texture* m_texture = nullptr;
    std::unique_ptr<platform::Effect> m_effectA;
    std::unique_ptr<platform::Effect> m_effectB;
    std::uint8_t m_useEffectB = 0;
    platform::VertexBuffer* m_vertexBuffer = nullptr;
    platform::IndexBuffer* m_indexBuffer = nullptr;
    std::uint32_t m_vertexCapacity = 0;
    std::uint32_t m_indexCapacity = 0;
};
