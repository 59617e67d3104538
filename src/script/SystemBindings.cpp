#include "script/SystemBindings.h"

#include <string>

#include "Render/PRender.h"
#include "core/FileReader.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/Car.h"
#include "game/Level.h"
#include "game/Player.h"
#include "platform/FileSystem.h"
#include "platform/Image.h"
#include "platform/Shell.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

constexpr std::int32_t kLastTuning = CPCar::kTuningCount - 1;

// How far one key press moves each tuned value, by its number.
constexpr float kTuningSteps[CPCar::kTuningCount] = {
    0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 0.01f, 1.0f, 1.0f,  10.0f, 1.0f,
    1.0f,  1.0f,  1.0f,  0.05f, 1.0f,  1.0f,  0.1f, 0.05f, 0.05f,
};

// A file that opens for reading; a folder is not one.
bool FileOpens(const std::string& path)
{
    std::string hostPath;
    if (path.empty() || !platform::ResolveExistingPath(path, hostPath))
        return false;
    platform::FileHandle file(platform::OpenFile(path, "rb"));
    std::uint64_t size = 0;
    return file && platform::MeasureFile(file.get(), size);
}

void OpenWithDesktop(const std::string& address)
{
    std::string failure;
    if (Failed(platform::GetShell().OpenAddress(address, &failure)))
        LogLine("Cannot open \"" + address + "\": " + failure);
}

void Tune(float direction)
{
    CPRender* render = GetRender();
    CPLevel* level = GetCurrentLevel();
    if (!render || !level)
        return;
    const std::int32_t index = render->TuningIndex();
    auto* player = dynamic_cast<CPPlayer*>(level->GetPlayer());
    CPCar* car = player ? player->GetCar() : nullptr;
    float* field = car ? car->TuningField(index) : nullptr;
    if (field)
        *field += direction * kTuningSteps[index];
}

} // namespace

int GoURLlink(lua_State* L)
{
    OpenWithDesktop(LuaToText(L, 1));
    return 0;
}

int GoURL(lua_State* L)
{
    const std::string path = LuaToText(L, 1);
    if (FileOpens(path))
        OpenWithDesktop(path);
    return 0;
}

int IsFileExists(lua_State* L)
{
    lua_pushboolean(L, FileOpens(LuaToText(L, 1)));
    return 1;
}

int GetTextureSize(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    platform::Image image;
    CPFileReader reader(name, false);
    if (name.empty() || Failed(reader.Load()) || reader.GetDataSize() == 0 ||
        !platform::DecodeImage(reader.GetData(), reader.GetDataSize(), image)) {
        image.width = 0;
        image.height = 0;
    }
    lua_pushnumber(L, image.width);
    lua_pushnumber(L, image.height);
    return 2;
}

int Pup(lua_State*)
{
    if (CPRender* render = GetRender()) {
        std::int32_t& index = render->TuningIndex();
        index = index > 0 ? index - 1 : 0;
    }
    return 0;
}

int Pdown(lua_State*)
{
    if (CPRender* render = GetRender()) {
        std::int32_t& index = render->TuningIndex();
        index = index < kLastTuning ? index + 1 : kLastTuning;
    }
    return 0;
}

int Pleft(lua_State*)
{
    Tune(-1.0f);
    return 0;
}

int Pright(lua_State*)
{
    Tune(1.0f);
    return 0;
}

} // namespace bind
