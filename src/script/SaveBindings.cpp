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
    CPFileReader reader(kSavesFolder + CPGameData::SaveFileName(slot), false);
    if (reader.Load() != S_OK)
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

int SaveGame(lua_State*)
{
    if (CPGameData* data = GameDataFor("SaveGame"))
        data->SaveGame();
    return 0;
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
        return 0;
    }
    // An empty file marks the slot free.
    CPFileWriter(kSavesFolder + fileName, false).Save();
    return 0;
}

int NewPlayer(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    CPGameData* data = GameDataFor("NewPlayer");
    if (!data)
        return 0;
    data->playerName = name;
    data->WriteSave(CPGameData::SaveFileName(0));
    return 0;
}

int SetProfileName(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    if (CPGameData* data = GameDataFor("SetProfileName"))
        data->SetProfile(name);
    return 0;
}

} // namespace bind
