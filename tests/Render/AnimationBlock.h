#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Render/MeshVertex.h"

// Builds animation blocks byte by byte, as the mesh files carry them.
struct AnimationBlock {
    struct Frame {
        std::vector<CPMeshVertex> vertices;
        std::vector<std::uint16_t> indices;
    };

    AnimationBlock& Int(std::int32_t value) { return Raw(&value, 4); }
    AnimationBlock& Float(float value) { return Raw(&value, 4); }
    AnimationBlock& Raw(const void* data, std::size_t size)
    {
        bytes.append(static_cast<const char*>(data), size);
        return *this;
    }
    AnimationBlock& Frames(float rate, const std::vector<Frame>& frames)
    {
        Int(static_cast<std::int32_t>(frames.size()));
        Float(rate);
        for (const Frame& frame : frames) {
            Int(static_cast<std::int32_t>(frame.vertices.size()));
            Raw(frame.vertices.data(), frame.vertices.size() * sizeof(CPMeshVertex));
            Int(static_cast<std::int32_t>(frame.indices.size()));
            Raw(frame.indices.data(), frame.indices.size() * 2);
        }
        return *this;
    }

    std::string bytes;
};

inline CPMeshVertex VertexAt(float x, float y, float z, std::uint32_t diffuse = 0x11223344)
{
    CPMeshVertex vertex;
    vertex.position = {x, y, z};
    vertex.normal = {0, 0, 1};
    vertex.diffuse = diffuse;
    vertex.specular = 0x55667788;
    vertex.uv1 = {0.25f, 0.5f};
    vertex.uv2 = {0.75f, 1.0f};
    return vertex;
}

// A frame of one triangle whose first vertex sits at (x, 0, 0).
inline AnimationBlock::Frame Triangle(float x)
{
    return {{VertexAt(x, 0, 0), VertexAt(x + 1, 0, 0), VertexAt(x, 1, 0)}, {0, 1, 2}};
}
