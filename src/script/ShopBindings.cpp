#include "script/ShopBindings.h"

#include <cstdio>
#include <string>

#include "core/Log.h"
#include "core/ObjectRegistry.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

// Items up to this mission are on offer.
constexpr std::int32_t kDifficultMissionLimit = 15;

void PushText(lua_State* L, const std::string& text) { lua_pushlstring(L, text.data(), text.size()); }

std::int32_t OfferLimit(const CPGameData& data)
{
    return data.difficult ? kDifficultMissionLimit : data.currentMission;
}

// Tells the game menu the money has changed.
void SendMoney(float money)
{
    CPObjectRegistry* registry = GetObjectRegistry();
    if (!registry)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(money));
    registry->SendCommandByName("gamemenu", "change_money", text);
}

// The item of a table under the name argument, or null (logged) when the
// game data or the item is missing.
template <class Item>
const Item* FindItem(lua_State* L, const CPShopTable<Item>& (*table)(const CPGameData&), const char* function)
{
    const std::string name = LuaToText(L, 1);
    CPGameData* data = GetGameData();
    if (!data) {
        LogLine(std::string(function) + ": there is no game data");
        return nullptr;
    }
    const Item* item = table(*data).Find(name);
    if (!item)
        LogLine(std::string(function) + ": no item named \"" + name + "\"");
    return item;
}

const CPShopTable<CPWeaponInfo>& Weapons(const CPGameData& d) { return d.weapons; }
const CPShopTable<CPMineInfo>& Mines(const CPGameData& d) { return d.mines; }
const CPShopTable<CPSuperWeaponInfo>& SuperWeapons(const CPGameData& d) { return d.superWeapons; }
const CPShopTable<CPPartInfo>& Bumpers(const CPGameData& d) { return d.bumpers; }
const CPShopTable<CPPartInfo>& Equipment(const CPGameData& d) { return d.equipment; }
const CPShopTable<CPPartInfo>& Armour(const CPGameData& d) { return d.armour; }
const CPShopTable<CPEngineInfo>& Engines(const CPGameData& d) { return d.engines; }

int PushPartInfo(lua_State* L, const CPShopTable<CPPartInfo>& (*table)(const CPGameData&),
                 const char* function)
{
    const CPPartInfo* item = FindItem(L, table, function);
    if (!item)
        return 0;
    CPGameData& data = *GetGameData();
    PushText(L, data.GetText(item->nameKey));
    lua_pushnumber(L, item->price);
    lua_pushnumber(L, item->value);
    PushText(L, data.GetText(item->descriptionKey));
    lua_pushnumber(L, item->firstMission);
    return 5;
}

// Pushes the number of items on offer that the filter keeps, then a table
// of their names in stored order.
template <class Item, class Keep>
int PushNames(lua_State* L, const CPShopTable<Item>& (*table)(const CPGameData&), Keep keep)
{
    // The table takes the second place whatever was passed.
    lua_settop(L, 0);
    lua_pushnumber(L, 0);
    lua_newtable(L);
    const CPGameData* data = GetGameData();
    if (!data)
        return 2;
    const CPShopTable<Item>& items = table(*data);
    const std::int32_t limit = OfferLimit(*data);
    int count = 0;
    for (std::size_t i = 0; i < items.GetCount(); ++i) {
        const std::string& key = items.GetKey(i);
        if (items.GetItem(i).firstMission > limit || !keep(*data, key))
            continue;
        lua_pushnumber(L, ++count);
        PushText(L, key);
        lua_settable(L, 2);
    }
    lua_pushnumber(L, count);
    lua_replace(L, 1);
    return 2;
}

void PushCarSettings(lua_State* L, const CPCarSettings& s)
{
    for (const std::string* text : {&s.weapon1, &s.weapon2, &s.weapon3, &s.equipment1, &s.equipment2,
                                    &s.bumper, &s.engine, &s.armour, &s.superWeapon})
        PushText(L, *text);
    lua_pushnumber(L, s.superWeaponCount);
    PushText(L, s.mine);
}

struct ActiveCar {
    const char* playerName;
    const char* model;
};

const ActiveCar kActiveCars[] = {
    {"audi_tt", "audi_tt"},         {"bmw", "bmw_i745"}, {"gaz_3110_main", "gaz_z110"},
    {"volswagen_toureg", "volk_t"}, {"uaz", "uaz_469"},  {"zil_130_", "zil_130"},
};

} // namespace

int GetWeaponInfo(lua_State* L)
{
    const CPWeaponInfo* item = FindItem(L, Weapons, "GetWeaponInfo");
    if (!item)
        return 0;
    CPGameData& data = *GetGameData();
    PushText(L, data.GetText(item->nameKey));
    lua_pushnumber(L, item->price);
    lua_pushnumber(L, item->value1);
    lua_pushnumber(L, item->groupA1);
    lua_pushnumber(L, item->groupA2);
    lua_pushnumber(L, item->groupA3);
    lua_pushnumber(L, item->groupB1);
    lua_pushnumber(L, item->groupB2);
    lua_pushnumber(L, item->groupB3);
    lua_pushnumber(L, item->value2);
    PushText(L, data.GetText(item->descriptionKey));
    lua_pushnumber(L, item->firstMission);
    return 12;
}

int GetMineInfo(lua_State* L)
{
    const CPMineInfo* item = FindItem(L, Mines, "GetMineInfo");
    if (!item)
        return 0;
    CPGameData& data = *GetGameData();
    PushText(L, data.GetText(item->nameKey));
    lua_pushnumber(L, item->price);
    lua_pushnumber(L, item->value1);
    lua_pushnumber(L, item->value2);
    lua_pushnumber(L, item->value3);
    lua_pushnumber(L, item->value4);
    lua_pushnumber(L, item->value5);
    lua_pushnumber(L, item->value6);
    lua_pushnumber(L, item->value7);
    PushText(L, data.GetText(item->descriptionKey));
    lua_pushnumber(L, item->firstMission);
    return 11;
}

int GetSuperWeaponInfo(lua_State* L)
{
    const CPSuperWeaponInfo* item = FindItem(L, SuperWeapons, "GetSuperWeaponInfo");
    if (!item)
        return 0;
    CPGameData& data = *GetGameData();
    PushText(L, data.GetText(item->nameKey));
    lua_pushnumber(L, item->price);
    PushText(L, data.GetText(item->descriptionKey));
    lua_pushnumber(L, item->firstMission);
    return 4;
}

int GetBumperInfo(lua_State* L) { return PushPartInfo(L, Bumpers, "GetBumperInfo"); }
int GetEquipmentInfo(lua_State* L) { return PushPartInfo(L, Equipment, "GetEquipmentInfo"); }
int GetArmorInfo(lua_State* L) { return PushPartInfo(L, Armour, "GetArmorInfo"); }

int GetEngineInfo(lua_State* L)
{
    const CPEngineInfo* item = FindItem(L, Engines, "GetEngineInfo");
    if (!item)
        return 0;
    CPGameData& data = *GetGameData();
    PushText(L, data.GetText(item->nameKey));
    lua_pushnumber(L, item->price);
    for (float value : item->values)
        lua_pushnumber(L, value);
    PushText(L, data.GetText(item->descriptionKey));
    lua_pushnumber(L, item->firstMission);
    return 9;
}

int GetWeaponNames(lua_State* L)
{
    return PushNames(L, Weapons, [](const CPGameData& d, const std::string& key) {
        const CPCarSettings& s = d.carSettings;
        return key != s.weapon1 && key != s.weapon2 && key != s.weapon3;
    });
}

int GetMineNames(lua_State* L)
{
    return PushNames(L, Mines,
                     [](const CPGameData& d, const std::string& key) { return key != d.carSettings.mine; });
}

int GetSuperWeaponNames(lua_State* L)
{
    return PushNames(L, SuperWeapons, [](const CPGameData& d, const std::string&) {
        return d.carSettings.superWeaponCount < 3;
    });
}

int GetBumperNames(lua_State* L)
{
    return PushNames(L, Bumpers,
                     [](const CPGameData& d, const std::string& key) { return key != d.carSettings.bumper; });
}

int GetEquipmentNames(lua_State* L)
{
    return PushNames(L, Equipment, [](const CPGameData& d, const std::string& key) {
        return key != d.carSettings.equipment1 && key != d.carSettings.equipment2;
    });
}

int GetArmorNames(lua_State* L)
{
    return PushNames(L, Armour,
                     [](const CPGameData& d, const std::string& key) { return key != d.carSettings.armour; });
}

int GetEngineNames(lua_State* L)
{
    return PushNames(L, Engines,
                     [](const CPGameData& d, const std::string& key) { return key != d.carSettings.engine; });
}

int IsValidGameDataName(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    const CPGameData* d = GetGameData();
    const bool found = d && (d->weapons.Find(name) || d->mines.Find(name) || d->superWeapons.Find(name) ||
                             d->bumpers.Find(name) || d->equipment.Find(name) || d->armour.Find(name) ||
                             d->engines.Find(name));
    lua_pushboolean(L, found);
    return 1;
}

int SetMoney(lua_State* L)
{
    const float amount = LuaToFloat(L, 1);
    CPGameData* data = GetGameData();
    if (!data)
        return 0;
    data->money = amount;
    SendMoney(data->money);
    return 0;
}

int GetMoney(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, data ? data->money : 0.0f);
    return 1;
}

int GetCarInfo(lua_State* L)
{
    const CPGameData* data = GetGameData();
    PushCarSettings(L, data ? data->carSettings : CPCarSettings{});
    return 11;
}

int SetCarInfo(lua_State* L)
{
    CPGameData* data = GetGameData();
    if (!data)
        return 0;
    CPCarSettings s;
    s.weapon1 = LuaToText(L, 1);
    s.weapon2 = LuaToText(L, 2);
    s.weapon3 = LuaToText(L, 3);
    s.equipment1 = LuaToText(L, 4);
    s.equipment2 = LuaToText(L, 5);
    s.bumper = LuaToText(L, 6);
    s.engine = LuaToText(L, 7);
    s.armour = LuaToText(L, 8);
    s.superWeapon = LuaToText(L, 9);
    s.superWeaponCount = LuaToInt(L, 10);
    s.mine = LuaToText(L, 11);
    data->SetCarSettings(s);
    return 0;
}

int CommitCarSettings(lua_State*)
{
    if (CPGameData* data = GetGameData())
        data->CommitCarSettings();
    return 0;
}

int AutoSetting(lua_State*)
{
    CPGameData* data = GetGameData();
    if (!data || data->presets.empty())
        return 0;
    const double budget = data->money + data->GetCarSettingsPrice(data->carSettings);
    const std::int64_t last = 3 * static_cast<std::int64_t>(data->currentMission) - 1;
    const std::int64_t highest = static_cast<std::int64_t>(data->presets.size()) - 1;
    for (std::int64_t i = last < highest ? last : highest; i >= 0; --i) {
        const CPCarSettings& preset = data->presets[static_cast<std::size_t>(i)];
        const double price = data->GetCarSettingsPrice(preset);
        if (price > budget)
            continue;
        data->carSettings = preset;
        data->money = static_cast<float>(budget - price);
        SendMoney(data->money);
        return 0;
    }
    return 0;
}

int GetActiveCar(lua_State* L)
{
    const CPGameData* data = GetGameData();
    const std::string player = data ? data->playerName : std::string();
    for (const ActiveCar& car : kActiveCars) {
        if (player == car.playerName) {
            lua_pushstring(L, car.model);
            return 1;
        }
    }
    PushText(L, player);
    return 1;
}

int GetCurrentMission(lua_State* L)
{
    const CPGameData* data = GetGameData();
    lua_pushnumber(L, data ? data->currentMission : 0);
    return 1;
}

int SetCurrentMission(lua_State* L)
{
    const std::int32_t mission = LuaToInt(L, 1);
    if (CPGameData* data = GetGameData())
        data->currentMission = mission;
    return 0;
}

} // namespace bind
