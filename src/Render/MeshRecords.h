#pragma once

#include <cstdint>
#include <string>

#include "core/BoundingBox.h"
#include "platform/MathTypes.h"

class CPFileReader;

// The fixed-size records of the mesh files and the checks every reader
// makes before it takes a counted run of them.
namespace meshfile {

constexpr std::uint32_t kNameBytes = 260;
constexpr std::uint32_t kPlacementBytes = 28;
constexpr std::uint32_t kPartBytes = 52;
constexpr std::uint32_t kPartBoxBytes = 96;
constexpr std::uint32_t kVertexBytes = 48;
constexpr std::uint32_t kIndexBytes = 2;

// The smallest node of each layout: every field present, every count 0
// (an animated node's animation block holds at least its frame count and
// rate).
constexpr std::uint32_t kMinPlainNode = 4 + kNameBytes + 4 + 4 + 4 + 4;
constexpr std::uint32_t kMinPhysicsNode = 4 + kNameBytes + kPlacementBytes + kPartBytes + 4 + 4 + 4 + 4;
constexpr std::uint32_t kMinAnimatedBody = kPlacementBytes + 2 * kPartBytes + 8 + 4 + 4;
constexpr std::uint32_t kMinAnimatedNode = kNameBytes + kMinAnimatedBody;

// The part kinds of a part record.
enum PartKind : std::int32_t { kBoxPart = 0, kCylinderPart = 1 };

// A 52-byte part record: a collision part, a node's rigid body or an
// animated node's own box.
struct PartRecord {
    std::int32_t kind = kBoxPart;
    float sizes[3] = {}; // s1, s2, s3
    Vector3 position;
    Quaternion rotation; // as stored
    float cylinderSize = 0.0f;
    float mass = 0.0f;
};

// A node's placement: position and the stored rotation.
struct Placement {
    Vector3 position;
    Quaternion rotation;
};

// The 260-byte name field: the text up to its first zero byte (all 260
// bytes when there is none), lower-cased.
std::string ReadName(CPFileReader& reader);
PartRecord ReadPart(CPFileReader& reader);
Placement ReadPlacement(CPFileReader& reader);

// The stored rotation turned the other way: (-x, -y, -z, w).
Quaternion Conjugated(const Quaternion& q);

// The part box of a record: half extents (s1/2, s3/2, s2/2) about the
// origin, placed by the rotation turned the other way, then by the
// position raised by s2/2.
CPBoundingBox PartBox(const PartRecord& part);

// Reads a count and checks that `count` records of `recordBytes` each fit
// in what is left of the data. False, with a line in the log naming
// `what`, for a negative count or one the data cannot hold.
bool ReadCount(CPFileReader& reader, std::uint32_t recordBytes, const char* what, const std::string& node,
               std::int32_t& count);

// Moves the cursor past bytes the caller has checked are there.
void SkipBytes(CPFileReader& reader, std::uint32_t bytes);

// Reads the optional transform block after a mesh file's nodes (a count,
// then per entry a name and a 3 x 4 transform) without using it. False
// when it is truncated or corrupt.
bool SkipTransformBlock(CPFileReader& reader);

// Whether `bytes` remain; otherwise a line in the log.
bool HasBytes(CPFileReader& reader, std::uint32_t bytes, const char* what, const std::string& node);

} // namespace meshfile
