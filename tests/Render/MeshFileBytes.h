#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "AnimationBlock.h"
#include "Render/MeshVertex.h"
#include "platform/MathTypes.h"

// Builds mesh files byte by byte in the three node layouts, as the loader
// reads them.
namespace meshbytes {

struct Part {
    std::int32_t kind = 0;
    float s1 = 0, s2 = 0, s3 = 0;
    Vector3 position;
    Quaternion rotation;
    float cylinder = 0;
    float mass = 0;
};

struct PlainNode {
    std::string name;
    std::vector<CPMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<std::pair<Vector3, Vector3>> boxes; // centre, half extents
    std::vector<PlainNode> children;
};

struct PhysicsNode {
    std::string name;
    Vector3 position;
    Quaternion rotation;
    Part body;
    std::vector<CPMeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<Part> parts;
    std::vector<PhysicsNode> children;
};

struct AnimatedNode {
    std::string name;
    Part body;
    Part ownPart;
    float rate = 240.0f; // a tenth of a second per frame
    std::vector<AnimationBlock::Frame> frames;
    std::vector<Part> parts;
    std::vector<AnimatedNode> children;
};

struct Writer {
    Writer& Int(std::int32_t value) { return Raw(&value, 4); }
    Writer& Float(float value) { return Raw(&value, 4); }
    Writer& Raw(const void* data, std::size_t size)
    {
        bytes.append(static_cast<const char*>(data), size);
        return *this;
    }
    // The 260-byte name field, zero-filled after the text.
    Writer& Name(const std::string& name)
    {
        std::string field(260, '\0');
        std::memcpy(&field[0], name.data(), std::min<std::size_t>(name.size(), 260));
        bytes += field;
        return *this;
    }
    Writer& Vec(const Vector3& v) { return Float(v.x).Float(v.y).Float(v.z); }
    Writer& Quat(const Quaternion& q) { return Float(q.x).Float(q.y).Float(q.z).Float(q.w); }
    Writer& PartRecord(const Part& p)
    {
        Int(p.kind).Float(p.s1).Float(p.s2).Float(p.s3).Vec(p.position).Quat(p.rotation);
        return Float(p.cylinder).Float(p.mass);
    }
    Writer& Geometry(const std::vector<CPMeshVertex>& vertices, const std::vector<std::uint16_t>& indices)
    {
        Int(static_cast<std::int32_t>(vertices.size())).Raw(vertices.data(), vertices.size() * 48);
        return Int(static_cast<std::int32_t>(indices.size())).Raw(indices.data(), indices.size() * 2);
    }
    Writer& Parts(const std::vector<Part>& parts)
    {
        Int(static_cast<std::int32_t>(parts.size()));
        for (const Part& p : parts)
            PartRecord(p);
        return *this;
    }

    Writer& Plain(const PlainNode& node)
    {
        Int(7).Name(node.name).Geometry(node.vertices, node.indices);
        Int(static_cast<std::int32_t>(node.boxes.size()));
        for (const auto& box : node.boxes) {
            float record[24] = {};
            record[0] = box.first.x, record[1] = box.first.y, record[2] = box.first.z;
            record[4] = box.second.x, record[5] = box.second.y, record[6] = box.second.z;
            record[3] = record[7] = 99.0f; // bytes the reader ignores
            Raw(record, sizeof(record));
        }
        Int(static_cast<std::int32_t>(node.children.size()));
        for (const PlainNode& child : node.children)
            Plain(child);
        return *this;
    }

    Writer& Physics(const PhysicsNode& node)
    {
        Int(7).Name(node.name).Vec(node.position).Quat(node.rotation).PartRecord(node.body);
        Geometry(node.vertices, node.indices).Parts(node.parts);
        Int(static_cast<std::int32_t>(node.children.size()));
        for (const PhysicsNode& child : node.children)
            Physics(child);
        return *this;
    }

    // An animated node; `withName` false leaves out the name, as a later
    // file's nodes are read after their name.
    Writer& Animated(const AnimatedNode& node, bool withName = true)
    {
        if (withName)
            Name(node.name);
        Vec({1, 2, 3}).Quat({}).PartRecord(node.body).PartRecord(node.ownPart);
        AnimationBlock block;
        block.Frames(node.rate, node.frames);
        bytes += block.bytes;
        Parts(node.parts);
        Int(static_cast<std::int32_t>(node.children.size()));
        for (const AnimatedNode& child : node.children)
            Animated(child, true);
        return *this;
    }

    std::string bytes;
};

// A mesh file of plain nodes.
inline std::string PlainFile(const std::vector<PlainNode>& nodes)
{
    Writer w;
    w.Int(1).Int(static_cast<std::int32_t>(nodes.size()));
    for (const PlainNode& node : nodes)
        w.Plain(node);
    return w.bytes;
}

inline std::string PhysicsFile(const std::vector<PhysicsNode>& nodes)
{
    Writer w;
    w.Int(1).Int(static_cast<std::int32_t>(nodes.size()));
    for (const PhysicsNode& node : nodes)
        w.Physics(node);
    return w.bytes;
}

// An animated-mesh file: the first of an object holds its whole root
// node; every later one the root's name field, then the rest of the node.
inline std::string AnimatedFile(const AnimatedNode& root)
{
    Writer w;
    w.Int(0).Int(0).Animated(root);
    return w.bytes;
}

} // namespace meshbytes
