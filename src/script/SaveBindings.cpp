#include "script/SaveBindings.h"

#include <string>

#include "core/FileReader.h"
#include "core/FileWriter.h"
#include "core/Log.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

const char* const kSavesFolder = "data\\saves\\";

// The profile name stored in a slot, or "" for a free slot.
std::string ReadSlotProfile(std::int32_t slot)
{
    // A free slot has no file: nothing to report.
    CPFileReader reader(kSavesFolder + CPGameData::SaveFileName(slot), false);
    if (reader.LoadIfPresent() != S_OK)
        return "";
    return reader.ReadString();
}

CPGameData* GameDataFor(const char* function)
{
    CPGameData* data = GetGameData();
    if (!data)
        LogLine(std::string(function) + ": there is no game data");
    return data;
}

} // namespace

int SaveGame(lua_State* L)
{
    CPGameData* data = GameDataFor("SaveGame");
    lua_pushboolean(L, data && data->SaveGame());
    return 1;
}

int LoadGame(lua_State* L)
{
    const std::string fileName = LuaToText(L, 1);
    if (CPGameData* data = GameDataFor("LoadGame"))
        data->LoadSave(fileName);
    return 0;
}

int GetSaves(lua_State* L)
{
    // The table takes the second place whatever was passed.
    lua_settop(L, 0);
    lua_pushnumber(L, CPGameData::kSaveSlotCount);
    lua_newtable(L);
    for (std::int32_t slot = 0; slot < CPGameData::kSaveSlotCount; ++slot) {
        const std::string profile = ReadSlotProfile(slot);
        lua_pushnumber(L, slot + 1);
        lua_pushlstring(L, profile.data(), profile.size());
        lua_settable(L, 2);
    }
    return 2;
}

int DeleteSave(lua_State* L)
{
    const std::string fileName = LuaToText(L, 1);
    if (!CPGameData::IsSaveFileName(fileName)) {
        LogLine("DeleteSave: refused the file name \"" + fileName + "\"");
        lua_pushboolean(L, false);
        return 1;
    }
    // An empty file marks the slot free.
    lua_pushboolean(L, CPFileWriter(kSavesFolder + fileName, false).Save() == S_OK);
    return 1;
}

int NewPlayer(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    CPGameData* data = GameDataFor("NewPlayer");
    if (!data) {
        lua_pushboolean(L, false);
        return 1;
    }
    data->playerName = name;
    lua_pushboolean(L, data->WriteSave(CPGameData::SaveFileName(0)));
    return 1;
}

int SetProfileName(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    if (CPGameData* data = GameDataFor("SetProfileName"))
        data->SetProfile(name);
    return 0;
}

} // namespace bind
