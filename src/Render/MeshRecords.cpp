#include "Render/MeshRecords.h"

#include <cstring>

#include "core/FileReader.h"
#include "core/Log.h"
#include "core/StringUtils.h"
#include "platform/Math.h"

namespace meshfile {

std::string ReadName(CPFileReader& reader)
{
    char bytes[kNameBytes];
    reader.ReadBytes(bytes, kNameBytes);
    const void* end = std::memchr(bytes, 0, kNameBytes);
    std::string name(bytes, end ? static_cast<const char*>(end) - bytes : kNameBytes);
    return ToLowerString(name);
}

PartRecord ReadPart(CPFileReader& reader)
{
    PartRecord part;
    part.kind = reader.ReadInt();
    for (float& size : part.sizes)
        size = reader.ReadFloat();
    part.position.x = reader.ReadFloat();
    part.position.y = reader.ReadFloat();
    part.position.z = reader.ReadFloat();
    part.rotation.x = reader.ReadFloat();
    part.rotation.y = reader.ReadFloat();
    part.rotation.z = reader.ReadFloat();
    part.rotation.w = reader.ReadFloat();
    part.cylinderSize = reader.ReadFloat();
    part.mass = reader.ReadFloat();
    return part;
}

Placement ReadPlacement(CPFileReader& reader)
{
    Placement placement;
    placement.position.x = reader.ReadFloat();
    placement.position.y = reader.ReadFloat();
    placement.position.z = reader.ReadFloat();
    placement.rotation.x = reader.ReadFloat();
    placement.rotation.y = reader.ReadFloat();
    placement.rotation.z = reader.ReadFloat();
    placement.rotation.w = reader.ReadFloat();
    return placement;
}

Quaternion Conjugated(const Quaternion& q) { return {-q.x, -q.y, -q.z, q.w}; }

CPBoundingBox PartBox(const PartRecord& part)
{
    const float s1 = part.sizes[0];
    const float s2 = part.sizes[1];
    const float s3 = part.sizes[2];
    CPBoundingBox box({0.0f, 0.0f, 0.0f}, {s1 * 0.5f, s3 * 0.5f, s2 * 0.5f});
    const Matrix4 placement =
        MatrixFromQuaternion(Conjugated(part.rotation)) *
        TranslationMatrix(part.position.x, part.position.y, part.position.z + s2 * 0.5f);
    box.orientation = placement;
    box.localMatrix = placement;
    return box;
}

bool ReadCount(CPFileReader& reader, std::uint32_t recordBytes, const char* what, const std::string& node,
               std::int32_t& count)
{
    if (!HasBytes(reader, 4, what, node))
        return false;
    count = reader.ReadInt();
    if (count >= 0 && static_cast<std::uint64_t>(count) * recordBytes <= reader.GetRemaining())
        return true;
    LogLine("Mesh file \"" + reader.GetFileName() + "\": node \"" + node + "\" has " + std::to_string(count) +
            " " + what + " with " + std::to_string(reader.GetRemaining()) + " bytes left");
    return false;
}

void SkipBytes(CPFileReader& reader, std::uint32_t bytes)
{
    std::uint8_t chunk[256];
    while (bytes > 0) {
        const std::uint32_t step = bytes < sizeof(chunk) ? bytes : sizeof(chunk);
        reader.ReadBytes(chunk, step);
        bytes -= step;
    }
}

bool SkipTransformBlock(CPFileReader& reader)
{
    if (reader.GetRemaining() < 4)
        return false;
    const std::int32_t count = reader.ReadInt();
    // An entry holds at least its name's length and the 12 floats.
    if (count < 0 || static_cast<std::uint64_t>(count) * (4 + 12 * 4) > reader.GetRemaining())
        return false;
    for (std::int32_t i = 0; i < count; ++i) {
        reader.ReadString();
        if (reader.HasReadError() || reader.GetRemaining() < 12 * 4)
            return false;
        SkipBytes(reader, 12 * 4);
    }
    return true;
}

bool HasBytes(CPFileReader& reader, std::uint32_t bytes, const char* what, const std::string& node)
{
    if (reader.GetRemaining() >= bytes)
        return true;
    LogLine("Mesh file \"" + reader.GetFileName() + "\" ends inside the " + what + " of node \"" + node +
            "\"");
    return false;
}

} // namespace meshfile
