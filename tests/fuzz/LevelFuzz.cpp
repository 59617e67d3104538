// Level files: the header, the lights, the object records and the spline
// records, read the way the level loader reads them before it builds
// anything from them.
#include "FuzzSupport.h"

#include <array>

#include "game/LevelFile.h"

namespace {

void Put(std::string& bytes, const void* p, std::size_t n) { bytes.append(static_cast<const char*>(p), n); }
void PutInt(std::string& bytes, std::int32_t value) { Put(bytes, &value, 4); }
void PutFloats(std::string& bytes, std::initializer_list<float> values)
{
    for (float value : values)
        Put(bytes, &value, 4);
}
void PutText(std::string& bytes, const std::string& text)
{
    PutInt(bytes, static_cast<std::int32_t>(text.size()));
    bytes += text;
}

std::string Level(int lights, const std::vector<std::string>& objects, bool withSpline)
{
    std::string bytes;
    PutFloats(bytes, {0.0f, 0.0f, 1500.0f, 0.0f});
    PutInt(bytes, lights);
    if (lights > 0) {
        PutInt(bytes, 0);
        PutFloats(bytes, {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, -1, 0});
        for (int i = 1; i < lights; ++i)
            bytes.append(28, '\0');
    }
    PutInt(bytes, static_cast<std::int32_t>(objects.size()));
    for (const std::string& name : objects) {
        PutText(bytes, name);
        PutFloats(bytes, {10, 20, 0, 0, 0, 0, 1, 1, 1, 1});
    }
    PutInt(bytes, withSpline ? 1 : 0);
    if (withSpline) {
        PutText(bytes, "c_path");
        PutInt(bytes, 1);
        PutInt(bytes, 2);
        PutFloats(bytes, {0, 0, 0, 100, 0, 0, 33, 0, 0, 66, 0, 0});
        PutFloats(bytes, {100, 0, 0, 0, 0, 0, 66, 10, 0, 33, 10, 0});
    }
    return bytes;
}

} // namespace

std::vector<std::string> FuzzSeeds()
{
    return {Level(0, {}, false), Level(1, {"player", "enemy1_1", "checkpoint1,25"}, true),
            Level(3, {"src_north", "chk2_house", "stolb_start_left"}, true)};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WriteFuzzFile("Data/Levels/input.lvl", data, size);
    CPLevelFile file;
    if (!file.Read("Data\\Levels\\input.lvl"))
        return 0;
    // What was read is whole: every record carries numbers the loader can
    // place an object by.
    for (const CPLevelObjectRecord& object : file.objects)
        if (!(object.position.x == object.position.x))
            __builtin_trap();
    return 0;
}
