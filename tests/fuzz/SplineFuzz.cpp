// Spline records of level files: name, closed flag and segments, cut into
// lines; then the nearest-line search the cars use.
#include "FuzzSupport.h"

#include <array>
#include <cmath>

#include "core/FileReader.h"
#include "game/Spline.h"

namespace {

void Put(std::string& bytes, const void* p, std::size_t n) { bytes.append(static_cast<const char*>(p), n); }

std::string Record(const std::string& name, bool closed, const std::vector<std::array<float, 12>>& segments)
{
    std::string bytes;
    const std::int32_t size = static_cast<std::int32_t>(name.size());
    Put(bytes, &size, 4);
    bytes += name;
    const std::int32_t flag = closed ? 1 : 0;
    Put(bytes, &flag, 4);
    const std::int32_t count = static_cast<std::int32_t>(segments.size());
    Put(bytes, &count, 4);
    for (const auto& segment : segments)
        Put(bytes, segment.data(), sizeof(float) * 12);
    return bytes;
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    // Start, end, then the two control points.
    const std::array<float, 12> along = {0, 0, 0, 100, 0, 0, 33, 0, 0, 66, 0, 0};
    const std::array<float, 12> back = {100, 0, 0, 0, 50, 0, 100, 20, 0, 50, 50, 0};
    const std::array<float, 12> none = {5, 5, 0, 5, 5, 0, 5, 5, 0, 5, 5, 0};
    return {Record("c_path", false, {along}), Record("ring", true, {along, back}),
            Record("z", true, {none, along})};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzRenderWorld world;
    WriteFuzzFile("Data/Levels/input.spl", data, size);
    CPFileReader reader("Data\\Levels\\input.spl", false);
    if (reader.Load() != S_OK)
        return 0;
    CPSpline spline;
    if (!spline.Load(reader))
        return 0;
    CPLine* line = nullptr;
    for (const Vector3& point : {Vector3{0, 0, 0}, Vector3{50, 10, 0}, Vector3{-1e6f, 3, 0}}) {
        float offset = 20.0f;
        const float angle = spline.FindClosestSegment(point, offset, 1, line, -1);
        if (spline.GetFirstLine() && (std::isnan(angle) || std::isnan(spline.GetFirstLine()->start.x)))
            __builtin_trap(); // a line that the player's spawn would take
    }
    return 0;
}
