#include "script/InterfaceBindings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "Render/PRender.h"
#include "core/GameClock.h"
#include "core/Singletons.h"
#include "game/GameData.h"
#include "interface/EditBox.h"
#include "interface/InputManager.h"
#include "interface/Interface.h"
#include "interface/InterfaceManager.h"
#include "interface/Window.h"
#include "launcher/LauncherApp.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHost.h"

namespace bind {

namespace {

// The priority screens run at once activated from a script.
constexpr int kScreenPriority = 450;

// Hundredths past which a time is no race's (and no longer fits an integer).
constexpr double kLargestTime = 1e15;

CPInterface* ScreenArg(lua_State* L) { return LuaToObjectAs<CPInterface>(L, 1); }

CPWindow* WindowArg(lua_State* L, CPInterface*& screen)
{
    screen = ScreenArg(L);
    return screen ? screen->FindWindow(LuaToText(L, 2)) : nullptr;
}

CPWindow* WindowArg(lua_State* L)
{
    CPInterface* screen = nullptr;
    return WindowArg(L, screen);
}

CPTextItem* TextArg(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    return screen ? screen->FindText(LuaToText(L, 2)) : nullptr;
}

CPEditBox* EditBoxArg(lua_State* L, CPInterface* screen) { return screen->FindEditBox(LuaToText(L, 2)); }

const std::string& TableText(const std::string& key)
{
    static const std::string none;
    CPGameData* data = GetGameData();
    return data ? data->GetText(key) : none;
}

void Layout(const CPTextItem& item, const std::string& font, const std::string& text)
{
    if (CPInterfaceManager* manager = GetInterfaceManager())
        manager->LayoutText(item.textObject, item.x, item.y, font, text);
}

// Stores the text in the named item and shows it; nothing during shutdown,
// when the fonts and render objects may already be gone.
// The item's text keeps its room, so the texts the race shows again and
// again take no block.
void StoreAndLayout(CPTextItem* item, std::string_view text)
{
    if (ExitingFlag || !item)
        return;
    item->text.assign(text.data(), text.size());
    Layout(*item, item->font, item->text);
}

// "%lld:%02lld.%02lld" of the three parts, written out by hand: the race
// shows a new time every frame, and the general formatter costs more than
// the layout of the text. Parts past two digits go to the formatter.
std::string_view FormatTime(const long long (&parts)[3], char* text, std::size_t room)
{
    const auto twoDigits = [](long long value) { return value >= 0 && value < 100; };
    if (!twoDigits(parts[1]) || !twoDigits(parts[2])) {
        const int size = std::snprintf(text, room, "%lld:%02lld.%02lld", parts[0], parts[1], parts[2]);
        return std::string_view(text, static_cast<std::size_t>(size));
    }
    char* end = std::to_chars(text, text + room, parts[0]).ptr;
    *end++ = ':';
    *end++ = static_cast<char>('0' + parts[1] / 10);
    *end++ = static_cast<char>('0' + parts[1] % 10);
    *end++ = '.';
    *end++ = static_cast<char>('0' + parts[2] / 10);
    *end++ = static_cast<char>('0' + parts[2] % 10);
    return std::string_view(text, static_cast<std::size_t>(end - text));
}

int PushPair(lua_State* L, float x, float y)
{
    lua_pushnumber(L, x);
    lua_pushnumber(L, y);
    return 2;
}

void SetLocked(lua_State* L, bool locked)
{
    CPInterface* screen = nullptr;
    CPWindow* element = WindowArg(L, screen);
    if (!element)
        return;
    element->SetEnabled(!locked);
    if (locked)
        screen->DropHover(element);
}

} // namespace

int CreateInterface(lua_State* L)
{
    // Checked before the screen exists: a failed check jumps out.
    const std::string name = LuaCheckText(L, 1).Str();
    const int number = LuaToInt(L, 2);
    auto* screen = new CPInterface();
    screen->AddRef();
    screen->Load(name, number);
    // Scripts hold screens by address only; without this the screen would
    // stay in the screen list, and answer the mouse, after its owner went.
    if (CPScriptHost* host = CPScriptHost::FromState(L))
        host->AdoptObject(screen);
    LuaPushObject(L, screen);
    return 1;
}

int ActivateInterface(lua_State* L)
{
    if (CPInterface* screen = ScreenArg(L))
        screen->Activate(kScreenPriority);
    return 0;
}

int SilentActivateInterface(lua_State* L)
{
    if (CPInterface* screen = ScreenArg(L))
        screen->SilentActivate(kScreenPriority);
    return 0;
}

int UpdateInterface(lua_State* L)
{
    if (CPInterface* screen = ScreenArg(L))
        screen->Submit();
    return 0;
}

int UpdateInterfaceBuffers(lua_State* L)
{
    if (CPInterface* screen = ScreenArg(L))
        screen->RebuildBuffers();
    return 0;
}

int SetWindowVisible(lua_State* L)
{
    if (CPWindow* element = WindowArg(L))
        element->SetVisible(lua_toboolean(L, 3) != 0);
    return 0;
}

int SetWindowPosition(lua_State* L)
{
    if (CPWindow* element = WindowArg(L))
        element->SetPosition(LuaToFloat(L, 3), LuaToFloat(L, 4));
    return 0;
}

int SetWindowPositionShop(lua_State* L)
{
    // Onto the pixel corner, as the screen's loader places its windows.
    if (CPWindow* element = WindowArg(L))
        element->SetPosition(LuaToFloat(L, 3) - 0.5f, LuaToFloat(L, 4) - 0.5f);
    return 0;
}

int SetWindowSize(lua_State* L)
{
    if (CPWindow* element = WindowArg(L))
        element->SetSize(LuaToFloat(L, 3), LuaToFloat(L, 4));
    return 0;
}

int GetWindowPosition(lua_State* L)
{
    const CPWindow* element = WindowArg(L);
    if (!element)
        return PushPair(L, -1.0f, -1.0f);
    return PushPair(L, element->GetX(), element->GetY());
}

int SetText(lua_State* L)
{
    StoreAndLayout(TextArg(L), LuaToTextView(L, 3));
    return 0;
}

int SetTextString(lua_State* L)
{
    if (ExitingFlag)
        return 0;
    StoreAndLayout(TextArg(L), TableText(LuaToText(L, 3)));
    return 0;
}

int SetTimeText(lua_State* L)
{
    CPTextItem* item = TextArg(L);
    if (!item)
        return 0;
    // The numbers as the script's own formatting worked them out: floors
    // and Lua's modulo in doubles, each cut to an integer by string.format.
    const double hundredths = std::floor(lua_tonumber(L, 3) * 100 + 0.5);
    long long parts[3] = {0, 0, 0};
    if (std::isfinite(hundredths) && std::fabs(hundredths) < kLargestTime) {
        const double whole = std::floor(hundredths / 100);
        parts[0] = static_cast<long long>(std::floor(hundredths / 6000));
        parts[1] = static_cast<long long>(whole - std::floor(whole / 60) * 60);
        parts[2] = static_cast<long long>(hundredths - std::floor(hundredths / 100) * 100);
    }
    char text[72];
    const std::string_view shown = FormatTime(parts, text, sizeof text);
    if (item->text != shown)
        StoreAndLayout(item, shown);
    return 0;
}

int SetTextPosition(lua_State* L)
{
    CPTextItem* item = TextArg(L);
    if (!item)
        return 0;
    item->x = LuaToFloat(L, 3);
    item->y = LuaToFloat(L, 4);
    Layout(*item, item->font, item->text);
    return 0;
}

int GetTextPosition(lua_State* L)
{
    const CPTextItem* item = TextArg(L);
    if (!item)
        return PushPair(L, -1.0f, -1.0f);
    return PushPair(L, item->x, item->y);
}

int SetFont(lua_State* L)
{
    if (const CPTextItem* item = TextArg(L))
        Layout(*item, LuaToText(L, 3), LuaToText(L, 4));
    return 0;
}

int SetFontString(lua_State* L)
{
    if (const CPTextItem* item = TextArg(L))
        Layout(*item, LuaToText(L, 3), TableText(LuaToText(L, 4)));
    return 0;
}

int SetEditBoxText(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    CPEditBox* box = screen ? EditBoxArg(L, screen) : nullptr;
    if (box)
        box->SetText(LuaToText(L, 3));
    return 0;
}

int EditBoxProcessKey(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    CPEditBox* box = screen ? EditBoxArg(L, screen) : nullptr;
    if (box)
        box->ProcessKey(static_cast<std::uint8_t>(LuaToInt(L, 3)));
    return 0;
}

int EditBoxTextLength(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    if (!screen)
        return 0;
    const CPEditBox* box = EditBoxArg(L, screen);
    lua_pushnumber(L, box ? static_cast<lua_Number>(box->GetTextLength()) : 0.0);
    return 1;
}

int GetEditBoxText(lua_State* L)
{
    CPInterface* screen = ScreenArg(L);
    if (!screen)
        return 0;
    const CPEditBox* box = EditBoxArg(L, screen);
    const std::string text = box ? box->GetText() : std::string();
    lua_pushlstring(L, text.data(), text.size());
    return 1;
}

int DeselectCurrentButton(lua_State* L)
{
    if (CPInterface* screen = ScreenArg(L))
        screen->DeselectCurrentButton();
    return 0;
}

int SetCursor(lua_State* L)
{
    if (CPInterface* screen = ScreenArg(L))
        screen->SetCursor(LuaToText(L, 2));
    return 0;
}

int SetCursorChecked(lua_State* L)
{
    const std::string name = LuaCheckText(L, 2).Str();
    if (CPInterface* screen = ScreenArg(L))
        screen->SetCursor(name);
    return 0;
}

int SetActions(lua_State* L)
{
    if (CPInputManager* manager = GetInputManager())
        manager->SetActionsEnabled(lua_toboolean(L, 1) != 0);
    SetFrameTime(0.0f);
    return 0;
}

int SetDefaultCamera(lua_State*)
{
    if (CPRender* render = GetRender())
        render->SetDefaultCamera();
    return 0;
}

int IMenuRight(lua_State*)
{
    SelectNextButtonInAll();
    return 0;
}

int IMenuLeft(lua_State*)
{
    SelectPreviousButtonInAll();
    return 0;
}

int LockButton(lua_State* L)
{
    SetLocked(L, true);
    return 0;
}

int UnlockButton(lua_State* L)
{
    SetLocked(L, false);
    return 0;
}

} // namespace bind
