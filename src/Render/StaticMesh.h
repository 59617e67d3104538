#pragma once

#include <cstdint>
#include <vector>

#include "Render/MeshVertex.h"
#include "platform/GraphicsBuffer.h"

// Geometry registered once by name and drawn from managed device buffers;
// copies of the vertices and indices stay on this side for readers.
struct CPStaticMesh {
    CPStaticMesh() = default;
    CPStaticMesh(const CPStaticMesh&) = delete;
    CPStaticMesh& operator=(const CPStaticMesh&) = delete;
    ~CPStaticMesh() { ReleaseBuffers(); }

    void ReleaseBuffers()
    {
        if (vertexBuffer)
            vertexBuffer->Release();
        if (indexBuffer)
            indexBuffer->Release();
        vertexBuffer = nullptr;
        indexBuffer = nullptr;
    }

    platform::VertexBuffer* vertexBuffer = nullptr;
    platform::IndexBuffer* indexBuffer = nullptr;
    std::int32_t vertexCount = 0;
    std::int32_t triangleCount = 0; // index count / 3, rounded down
    std::vector<CPMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    // The box of the vertices in the mesh's own space: the frame draws a
    // placed mesh only when the camera sees this box where it stands.
    Vector3 minimum;
    Vector3 maximum;
};
