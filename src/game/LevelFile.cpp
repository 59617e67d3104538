#include "game/LevelFile.h"

#include <cmath>

#include "core/FileReader.h"
#include "core/Log.h"
#include "game/Spline.h"

namespace {

bool Finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool Finite(const Quaternion& q)
{
    return std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.w);
}

Vector3 ReadVector(CPFileReader& reader)
{
    Vector3 v;
    v.x = reader.ReadFloat();
    v.y = reader.ReadFloat();
    v.z = reader.ReadFloat();
    return v;
}

// Whether count records of at least recordBytes each can still follow.
bool Fits(const CPFileReader& reader, std::int32_t count, std::uint32_t recordBytes)
{
    return count >= 0 && static_cast<std::uint64_t>(count) * recordBytes <= reader.GetRemaining();
}

} // namespace

CPLevelFile::CPLevelFile() = default;
CPLevelFile::~CPLevelFile() = default;

bool CPLevelFile::Fail(const std::string& fileName, const std::string& fault)
{
    LogLine("Level file \"" + fileName + "\": " + fault);
    objects.clear();
    splines.clear();
    return false;
}

bool CPLevelFile::Read(const std::string& fileName)
{
    CPFileReader reader(fileName, false);
    if (Failed(reader.Load()) || reader.GetDataSize() == 0)
        return Fail(fileName, "cannot be read");

    for (float& value : header)
        value = reader.ReadFloat();
    lightCount = reader.ReadInt();
    if (reader.HasReadError())
        return Fail(fileName, "ends inside its header");
    if (lightCount > 0) {
        const std::uint64_t bytes =
            kFirstLightBytes + static_cast<std::uint64_t>(lightCount - 1) * kFurtherLightBytes;
        if (bytes > reader.GetRemaining())
            return Fail(fileName, "lists " + std::to_string(lightCount) + " lights, more than it holds");
        // Only the count matters: every level has the same fixed light.
        std::vector<std::uint8_t> skipped(static_cast<std::size_t>(bytes));
        reader.ReadBytes(skipped.data(), skipped.size());
    } else if (lightCount < 0) {
        return Fail(fileName, "has a negative light count (" + std::to_string(lightCount) + ")");
    }

    const std::int32_t objectCount = reader.ReadInt();
    if (reader.HasReadError())
        return Fail(fileName, "ends before its object count");
    if (!Fits(reader, objectCount, kMinObjectBytes))
        return Fail(fileName, "lists " + std::to_string(objectCount) + " objects, more than it holds");
    objects.reserve(static_cast<std::size_t>(objectCount));
    for (std::int32_t i = 0; i < objectCount; ++i) {
        CPLevelObjectRecord record;
        record.name = reader.ReadString();
        record.position = ReadVector(reader);
        record.rotation.x = reader.ReadFloat();
        record.rotation.y = reader.ReadFloat();
        record.rotation.z = reader.ReadFloat();
        record.rotation.w = reader.ReadFloat();
        record.scale = ReadVector(reader);
        if (reader.HasReadError())
            return Fail(fileName, "ends inside object record " + std::to_string(i));
        if (!Finite(record.position) || !Finite(record.rotation) || !Finite(record.scale))
            return Fail(fileName, "object \"" + record.name + "\" has a placement that is not a number");
        objects.push_back(std::move(record));
    }

    const std::int32_t splineCount = reader.ReadInt();
    if (reader.HasReadError())
        return Fail(fileName, "ends before its spline count");
    if (!Fits(reader, splineCount, kMinSplineBytes))
        return Fail(fileName, "lists " + std::to_string(splineCount) + " splines, more than it holds");
    for (std::int32_t i = 0; i < splineCount; ++i) {
        auto spline = std::make_unique<CPSpline>();
        const bool loaded = spline->Load(reader);
        if (!loaded || reader.HasReadError())
            return Fail(fileName, "spline record " + std::to_string(i) + " (\"" + spline->GetSplineName() +
                                      "\") is broken");
        splines.push_back(std::move(spline));
    }
    return true;
}
