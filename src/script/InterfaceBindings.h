#pragma once

#include <lua.hpp>

// The menus' screens, their windows, texts, edit boxes and cursor, the
// input actions switch and the default camera. A screen travels as light
// userdata; a null screen is ignored and a name the screen lacks is
// skipped, unless a function says otherwise.
namespace bind {

int CreateInterface(lua_State* L);
int ActivateInterface(lua_State* L);
int SilentActivateInterface(lua_State* L);
int UpdateInterface(lua_State* L);
int UpdateInterfaceBuffers(lua_State* L);

int SetWindowVisible(lua_State* L);
int SetWindowPosition(lua_State* L);
int SetWindowPositionShop(lua_State* L);
int SetWindowSize(lua_State* L);
// Both tables' GetWindowPosition: (-1, -1) for a null screen or a missing
// name.
int GetWindowPosition(lua_State* L);

int SetText(lua_State* L);
int SetTextString(lua_State* L);
// SetTimeText(screen, name, seconds): the time in the text item as
// string.format("%d:%02d.%02d", minutes, seconds, hundredths) writes it,
// rounded to the nearest hundredth; a time that is no number a race keeps
// shows as 0:00.00. An item that shows the text already is not laid out
// again. Not in the tables: the host adds it, so that a display showing
// the race's time every frame makes no new string for it.
int SetTimeText(lua_State* L);
int SetTextPosition(lua_State* L);
int GetTextPosition(lua_State* L);
int SetFont(lua_State* L);
int SetFontString(lua_State* L);

int SetEditBoxText(lua_State* L);
int EditBoxProcessKey(lua_State* L);
int EditBoxTextLength(lua_State* L);
int GetEditBoxText(lua_State* L);

int DeselectCurrentButton(lua_State* L);
// The game table's SetCursor: a name that is not text reads as "".
int SetCursor(lua_State* L);
// The second game table's SetCursor: the name is a required text.
int SetCursorChecked(lua_State* L);
int SetActions(lua_State* L);
int SetDefaultCamera(lua_State* L);
int IMenuRight(lua_State* L);
int IMenuLeft(lua_State* L);

// Disable or enable a named window or button; a locked element that is
// hovered goes back to normal and is no longer hovered.
int LockButton(lua_State* L);
int UnlockButton(lua_State* L);

} // namespace bind
