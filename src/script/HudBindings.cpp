#include "script/HudBindings.h"

#include <array>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "Render/PerspectiveCamera.h"
#include "Render/RenderSettings.h"
#include "core/Singletons.h"
#include "core/StringUtils.h"
#include "game/Camera.h"
#include "game/GameData.h"
#include "game/Level.h"
#include "game/Player.h"
#include "interface/Interface.h"
#include "interface/InterfaceManager.h"
#include "interface/TextItem.h"
#include "interface/Window.h"
#include "launcher/LauncherApp.h"
#include "platform/MatrixMath.h"
#include "platform/VectorMath.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

constexpr int kOverheatWindows = 12;
// Health bar: off screen when the car is out of view; its length shrinks
// with the damage.
constexpr float kHiddenBar = -100.0f;
constexpr float kBarLengthPerHealth = 0.47001317f;

const char* const kEquipmentWindows[] = {
    "krest",    "steel",     "steelfibre",   "titan",         "energy",       "engine1",
    "engine2",  "engine3",   "analyzer",     "repair",        "laser",        "bullets",
    "firerate", "damage",    "regeneration", "analyzer2",     "repair2",      "laser2",
    "bullets2", "firerate2", "damage2",      "regeneration2", "noequipment1", "noequipment2",
};

// The weapon windows, each also with "_off" for a weapon not selected.
const char* const kWeaponWindows[] = {
    "lgun",  "lgun2x",    "gauss",       "shotgun", "mgun",        "mgun2x",
    "hmgun", "rlauncher", "ssrlauncher", "plasma",  "firethrower", "autoshotgun",
};
const char* const kArmsWindows[] = {
    "contact", "emcontact", "timer",    "nocontact", "emnocontact", "cassette", "no_mina", "mines",  "slot1",
    "slot2",   "slot3",     "nosuper1", "nosuper2",  "nosuper3",    "super1",   "super2",  "super3",
};
constexpr int kWeaponSlots = 3;
constexpr int kSuperWeaponWindows = 3;
constexpr int kAmmunitionWindows = 17;

CPInterface* ScreenArg(lua_State* L) { return LuaToObjectAs<CPInterface>(L, 1); }

void ShowWindow(CPInterface& screen, const std::string& name, bool visible)
{
    if (CPWindow* window = screen.FindWindow(name))
        window->SetVisible(visible);
}

// Writes a text of the screen and lays it out again; nothing during
// shutdown, when the fonts may be gone.
void WriteText(CPInterface& screen, const std::string& name, const std::string& text)
{
    CPTextItem* item = screen.FindText(name);
    if (!item || ExitingFlag)
        return;
    item->text = text;
    if (CPInterfaceManager* manager = GetInterfaceManager())
        manager->LayoutText(item->textObject, item->x, item->y, item->font, text);
}

std::string Format(const char* format, int value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Windows 1..count named by the pattern are shown up to `shown`.
void ShowRun(CPInterface& screen, const char* pattern, int count, int shown)
{
    for (int i = 1; i <= count; ++i)
        ShowWindow(screen, Format(pattern, i), i <= shown);
}

// The count of windows lit for a fraction of `windows`, rounded half up.
std::int32_t LitWindows(float fraction, int windows)
{
    const float lit = fraction * static_cast<float>(windows);
    std::int32_t count = TruncateToInt(lit);
    if (lit - static_cast<float>(count) >= 0.5f)
        ++count;
    return count;
}

// Shows the window at the place of another; nothing when it is missing.
void ShowAt(CPInterface& screen, const std::string& name, const std::string& place)
{
    CPWindow* window = screen.FindWindow(name);
    if (!window)
        return;
    if (const CPWindow* at = screen.FindWindow(place))
        window->SetPosition(at->GetX(), at->GetY());
    window->SetVisible(true);
}

// The cursor that aims the weapon of the kind; null for kinds with none.
const char* CursorOfWeaponKind(std::int32_t kind)
{
    switch (kind) {
    case 0:
    case 1:
    case 2:
    case 6:
        return "bullet";
    case 3:
    case 4:
        return "rocket";
    case 5:
    case 7:
        return "plazma";
    case 8:
        return "shotgun";
    default:
        return nullptr;
    }
}

void HideArmsWindows(CPInterface& screen)
{
    for (const char* name : kWeaponWindows) {
        ShowWindow(screen, name, false);
        ShowWindow(screen, std::string(name) + "_off", false);
    }
    for (const char* name : kArmsWindows)
        ShowWindow(screen, name, false);
}

void ShowWeaponSlots(CPInterface& screen, const CPCarSettings& car, const CPPlayer& player)
{
    const std::string* weapons[kWeaponSlots] = {&car.weapon1, &car.weapon2, &car.weapon3};
    for (int k = 1; k <= kWeaponSlots; ++k) {
        const std::string slot = Format("slot%d", k);
        const std::string& weapon = *weapons[k - 1];
        if (weapon.empty())
            ShowWindow(screen, slot, true);
        else
            ShowAt(screen, player.weapons.weaponSlot == k - 1 ? weapon : weapon + "_off", slot);
    }
}

void ShowMines(CPInterface& screen, const CPCarSettings& car, const CPPlayer& player)
{
    if (!player.weapons.mineReady) {
        ShowWindow(screen, "no_mina", true);
        WriteText(screen, "mines", "00");
        return;
    }
    // The mine record's first value is the count of mines, its second the
    // factor the count is shown multiplied by.
    const CPMineInfo& mine = player.weapons.mineParameters;
    ShowWindow(screen, "mines", true);
    WriteText(screen, "mines", Format("%02d", TruncateToInt(static_cast<float>(mine.value1) * mine.value2)));
    ShowAt(screen, car.mine, "no_mina");
}

const CPCarSettings* CommittedSettings()
{
    const CPGameData* data = GetGameData();
    return data ? &data->committedCarSettings : nullptr;
}

int PushLevelFov(lua_State* L, float CPLevelView::*field)
{
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    lua_pushnumber(L, level->view.*field);
    return 1;
}

// The world centre of the box, and its corners pulled half way to it.
void HalfCorners(const CPBoundingBox& box, Vector3 (&out)[8])
{
    const Vector3* corners = box.Corners();
    Vector3 centre;
    for (int i = 0; i < 8; ++i)
        centre += corners[i] * 0.125f;
    for (int i = 0; i < 8; ++i)
        out[i] = centre + (corners[i] - centre) * 0.5f;
}

} // namespace

int InitGameInterface(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    const CPCarSettings* car = CommittedSettings();
    if (!screen || !car)
        return 0;
    for (const char* name : kEquipmentWindows)
        ShowWindow(*screen, name, false);
    ShowWindow(*screen, car->armour.empty() ? "krest" : car->armour, true);
    if (!car->engine.empty())
        ShowWindow(*screen, car->engine, true);
    ShowWindow(*screen, car->equipment1.empty() ? "noequipment1" : car->equipment1, true);
    ShowWindow(*screen, car->equipment2.empty() ? "noequipment2" : car->equipment2 + "2", true);
    return 0;
}

int UpdateGameInterface(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    const CPCarSettings* car = CommittedSettings();
    const CPLevel* level = GetCurrentLevel();
    const auto* player = level ? dynamic_cast<const CPPlayer*>(level->GetPlayer()) : nullptr;
    if (!screen || !car || !player)
        return 0;
    HideArmsWindows(*screen);
    for (int i = 1; i <= kSuperWeaponWindows; ++i)
        ShowWindow(*screen, Format(i <= car->superWeaponCount ? "super%d" : "nosuper%d", i), true);
    WriteText(*screen, "life", Format("%03d", TruncateToInt(player->combatValues[0])));
    ShowWeaponSlots(*screen, *car, *player);
    ShowMines(*screen, *car, *player);

    const std::int32_t slot = player->weapons.weaponSlot;
    const bool selected = slot >= 0 && slot < kWeaponSlots;
    const float ammunition = selected ? player->weapons.ammunition[static_cast<std::size_t>(slot)] : 0.0f;
    ShowRun(*screen, "bullet%d", kAmmunitionWindows, LitWindows(ammunition, kAmmunitionWindows));
    if (const char* cursor = CursorOfWeaponKind(player->weapons.weaponKind))
        screen->SetCursor(cursor);
    screen->RebuildBuffers();
    return 0;
}

int UpdateScore(lua_State* L)
{
    const std::int32_t score = LuaToInt(L, 2);
    if (CPInterface* screen = ScreenArg(L))
        WriteText(*screen, "score", Format("%05d", score));
    return 0;
}

int UpdateTime(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    const CPLevel* level = GetCurrentLevel();
    if (!screen || !level)
        return 0;
    const float countdown = level->race.levelFailedCountdown;
    const std::int32_t minutes = TruncateToInt(countdown * (1.0f / 60.0f));
    const std::int32_t seconds = TruncateToInt(countdown - 60.0f * static_cast<float>(minutes));
    char time[48];
    std::snprintf(time, sizeof time, "%02d:%02d", minutes, seconds);
    WriteText(*screen, "time", time);

    const auto* player = dynamic_cast<const CPPlayer*>(level->GetPlayer());
    const float heat = player ? player->state.engineTemperature : 0.0f;
    ShowRun(*screen, "overheat%d", kOverheatWindows, LitWindows(heat, kOverheatWindows));

    const CPGameData* data = GetGameData();
    WriteText(*screen, "kills", Format("%05d", data ? data->kills : 0));
    screen->RebuildBuffers();
    return 0;
}

int EngineState(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    const CPCarSettings* car = CommittedSettings();
    if (screen && car && !car->engine.empty())
        ShowWindow(*screen, car->engine, lua_toboolean(L, 2) != 0);
    return 0;
}

int GetCursor(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    if (!screen)
        return 0;
    const std::string& name = screen->GetCursorName();
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

int GetFov1(lua_State* L) { return PushLevelFov(L, &CPLevelView::camera1Fov); }
int GetFov2(lua_State* L) { return PushLevelFov(L, &CPLevelView::camera2Fov); }

int GetHelthBarCoord(lua_State* L)
{
    const auto* car = LuaToObjectAs<CPPlayer>(L, 1);
    const CPLevel* level = GetCurrentLevel();
    if (!level)
        return 0;
    CPObjectPtr held = level->GetCamera();
    const auto* camera = held.As<CPCamera>();
    CPPerspectiveCamera* view = camera ? camera->GetMainCamera() : nullptr;
    if (!car || !view)
        return 0;
    const Vector3 eye = view->Eye();
    const Vector3 look = Normalize(view->Target() - eye);
    const Vector3 toCar = Normalize(car->GetPosition() - eye);
    if (ClampedAcos(Dot(look, toCar)) > view->FieldOfView()) {
        lua_pushnumber(L, kHiddenBar);
        lua_pushnumber(L, kHiddenBar);
        lua_pushnumber(L, 0);
        return 3;
    }
    Vector3 corners[8];
    HalfCorners(car->GetBoundingBox(), corners);
    float left = 0.0f;
    float top = 0.0f;
    for (int i = 0; i < 8; ++i) {
        const Vector4 p = TransformHomogeneous(Vector4{corners[i].x, corners[i].y, corners[i].z, 1.0f},
                                               view->GetViewProjection());
        const float x = p.x / p.w;
        const float y = -p.y / p.w;
        left = i == 0 ? x : std::fmin(left, x);
        top = i == 0 ? y : std::fmin(top, y);
    }
    lua_pushnumber(L, (left + 1.0f) * static_cast<float>(GetScreenWidth()) * 0.5f);
    lua_pushnumber(L, (top + 1.0f) * static_cast<float>(GetScreenHeight()) * 0.5f);
    lua_pushnumber(L, (100.0f - car->damage) * kBarLengthPerHealth);
    return 3;
}

int SetPlayersPanel(lua_State* L)
{
    CPGameData* data = GetGameData();
    if (!GetCurrentLevel() || !data)
        return 0;
    // Ranked in place, by an insertion sort that keeps equal scores in the
    // order they were entered in: the panel is asked for every frame.
    struct Entry {
        std::int32_t score;
        const char* key;
        std::size_t size;
    };
    std::array<Entry, 6> order{};
    std::size_t count = 0;
    auto enter = [&order, &count](std::int32_t score, const char* key) {
        std::size_t at = count++;
        for (; at > 0 && order[at - 1].score > score; --at)
            order[at] = order[at - 1];
        order[at] = {score, key, std::strlen(key)};
    };
    // The records' keys made once, not a string for each look-up.
    static const std::string kOpponentKeys[] = {"0", "1", "2", "3", "4"};
    for (const std::string& key : kOpponentKeys) {
        const CPLapRecord& laps = data->GetLapRecord(key);
        enter(static_cast<std::int32_t>(static_cast<std::uint32_t>(laps.lapNumber) *
                                        static_cast<std::uint32_t>(laps.trackProgress)),
              key.c_str());
    }
    enter(static_cast<std::int32_t>(static_cast<std::uint32_t>(data->currentRound) *
                                    static_cast<std::uint32_t>(data->trackProgress)),
          "10");
    // A table the script hands in, to have it filled every frame rather
    // than a new one made, takes the keys in place, and loses the entries
    // that ran on past them (up to the first gap), so that it is a list of
    // the keys alone. A new table is made at its final size. Either is
    // filled by raw sets: the panel is plain data, with no metamethods.
    // The ranking seldom changes from one frame to the next, so an entry
    // that already holds its key is left as it is.
    const bool reused = lua_istable(L, 1);
    if (reused) {
        lua_settop(L, 1);
    } else {
        lua_createtable(L, static_cast<int>(count), 0);
    }
    int index = 1;
    for (std::size_t i = 0; i < count; ++i, ++index) {
        if (reused) {
            lua_rawgeti(L, -1, index);
            std::size_t size = 0;
            const char* held = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &size) : nullptr;
            const bool same = held && size == order[i].size && std::memcmp(held, order[i].key, size) == 0;
            lua_pop(L, 1);
            if (same)
                continue;
        }
        lua_pushlstring(L, order[i].key, order[i].size);
        lua_rawseti(L, -2, index);
    }
    for (;; ++index) {
        lua_rawgeti(L, -1, index);
        const bool more = !lua_isnil(L, -1);
        lua_pop(L, 1);
        if (!more)
            break;
        lua_pushnil(L);
        lua_rawseti(L, -2, index);
    }
    return 1;
}

} // namespace bind
