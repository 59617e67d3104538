#include "script/ScriptTables.h"

#include "script/ActionBindings.h"
#include "script/CoreBindings.h"
#include "script/InterfaceBindings.h"
#include "script/MediaBindings.h"
#include "script/SaveBindings.h"
#include "script/ShopBindings.h"

namespace {

const luaL_Reg kEngineCoreTable[] = {
    {"GetDeltaTime", bind::GetDeltaTime},
    {"AddRef", bind::AddRef},
    {"DumpObjects", bind::DumpObjects},
    {"Release", bind::Release},
    {"SendCommandByName", bind::SendCommandByName},
    {"SendCommandByObject", bind::SendCommandByObject},
    {"SendCommandByCategory", bind::SendCommandByCategory},
    {"SetNextCommand", bind::SetNextCommand},
    {"GetCurrentCommand", bind::GetCurrentCommand},
    {"GetCurrentParams", bind::GetCurrentParams},
    {"PointerToString", bind::PointerToString},
    {"StringToPointer", bind::StringToPointer},
    {"SetPTransformation", bind::SetPTransformation},
    {"CheckString", bind::CheckString},
    {"GetChildObject", bind::GetChildObject},
    {"SetVisible", bind::SetVisible},
    {"SetCollision", bind::SetCollision},
    {"SplitString", bind::SplitString},
    {"LoadRenderObject", bind::LoadRenderObject},
    {"DrawDynamicObject", bind::DrawDynamicObject},
    {"SetAnimation", bind::SetAnimation},
    {"GetParentObject", bind::GetParentObject},
    {"ActivateObject", bind::ActivateObject},
    {"DeactivateObject", bind::DeactivateObject},
    {"SetFade", bind::SetFade},
    {"LockButton", bind::LockButton},
    {"UnlockButton", bind::UnlockButton},
    {"KillAllTasks", bind::KillAllTasks},
    {"ToInt", bind::ToInt},
    {"PlayMusic", bind::PlayMusic},
    {nullptr, nullptr},
};

const luaL_Reg kGameTable[] = {
    {"StopScript", bind::StopScript},
    {"ClearTimer", bind::ClearTimer},
    {"SetActions", bind::SetActions},
    {"PlaySpecialSound3D", bind::PlaySpecialSound3D},
    {"PlaySpecialSound", bind::PlaySpecialSound},
    {"UpdateInterface", bind::UpdateInterface},
    {"CreateInterface", bind::CreateInterface},
    {"ActivateInterface", bind::ActivateInterface},
    {"DeactivateInterface", bind::DeactivateObject},
    {"SetDefaultCamera", bind::SetDefaultCamera},
    {"GetWeaponInfo", bind::GetWeaponInfo},
    {"GetMineInfo", bind::GetMineInfo},
    {"GetSuperWeaponInfo", bind::GetSuperWeaponInfo},
    {"GetBumperInfo", bind::GetBumperInfo},
    {"GetEquipmentInfo", bind::GetEquipmentInfo},
    {"GetArmorInfo", bind::GetArmorInfo},
    {"GetEngineInfo", bind::GetEngineInfo},
    {"GetWeaponNames", bind::GetWeaponNames},
    {"GetMineNames", bind::GetMineNames},
    {"GetSuperWeaponNames", bind::GetSuperWeaponNames},
    {"GetBumperNames", bind::GetBumperNames},
    {"GetEquipmentNames", bind::GetEquipmentNames},
    {"GetArmorNames", bind::GetArmorNames},
    {"GetEngineNames", bind::GetEngineNames},
    {"SetWindowVisible", bind::SetWindowVisible},
    {"SetWindowPosition", bind::SetWindowPosition},
    {"GetWindowPosition", bind::GetWindowPosition},
    {"SetText", bind::SetText},
    {"SetTextString", bind::SetTextString},
    {"SaveLog", bind::SaveLog},
    {"GetCarInfo", bind::GetCarInfo},
    {"SetCarInfo", bind::SetCarInfo},
    {"SetMoney", bind::SetMoney},
    {"GetMoney", bind::GetMoney},
    {"IsValidGameDataName", bind::IsValidGameDataName},
    {"UpdateInterfaceBuffers", bind::UpdateInterfaceBuffers},
    {"CommitCarSettings", bind::CommitCarSettings},
    {"SetWindowPositionShop", bind::SetWindowPositionShop},
    {"StopSounds", bind::StopSounds},
    {"PlayMusicNoLoop", bind::PlayMusicNoLoop},
    {"GetSoundVolume", bind::GetSoundVolume},
    {"SetSoundVolume", bind::SetSoundVolume},
    {"GetMusicVolume", bind::GetMusicVolume},
    {"SetMusicVolume", bind::SetMusicVolume},
    {"GetMouse", bind::GetMouse},
    {"SetMouse", bind::SetMouse},
    {"GetBrightness", bind::GetBrightness},
    {"SetBrightness", bind::DoNothing},
    {"GetMusicName", bind::GetMusicName},
    {"GetActionNames", bind::GetActionNames},
    {"SetCursor", bind::SetCursor},
    {"SetAssignKey", bind::SetAssignKey},
    {"SetAction", bind::SetAction},
    {"GetCurrentMission", bind::GetCurrentMission},
    {"SetCurrentMission", bind::SetCurrentMission},
    {"SaveGame", bind::SaveGame},
    {"LoadGame", bind::LoadGame},
    {"GetSaves", bind::GetSaves},
    {"DeleteSave", bind::DeleteSave},
    {"AutoSetting", bind::AutoSetting},
    {"DumpAIInfo", bind::DoNothing},
    {"GetActiveCar", bind::GetActiveCar},
    {"NewPlayer", bind::NewPlayer},
    {"IMenuRight", bind::IMenuRight},
    {"IMenuLeft", bind::IMenuLeft},
    {"SetEditBoxText", bind::SetEditBoxText},
    {"EditBoxTextLength", bind::EditBoxTextLength},
    {"EditBoxProcessKey", bind::EditBoxProcessKey},
    {"GetEditBoxText", bind::GetEditBoxText},
    {"CreateArrow", bind::DoNothing},
    {"DrawArrow", bind::DoNothing},
    {"SaveActions", bind::SaveActions},
    {"LoadActions", bind::LoadActions},
    {"SetFont", bind::SetFont},
    {"SetFontString", bind::SetFontString},
    {"DeselectCurrentButton", bind::DeselectCurrentButton},
    {"SilentActivateInterface", bind::SilentActivateInterface},
    {"SetProfileName", bind::SetProfileName},
    {"UpdateSoundPosition", bind::UpdateSoundPosition},
    {"GetCurrentRace", bind::GetCurrentMission},
    {"SetCurrentRace", bind::SetCurrentMission},
    {"SetWindowSize", bind::SetWindowSize},
    {"StopSpecialSound", bind::StopSpecialSound},
    {"IsSpecialSoundPlaying", bind::IsSpecialSoundPlaying},
    {"UpdateActions", bind::UpdateActions},
    {"GetTextPosition", bind::GetTextPosition},
    {"SetTextPosition", bind::SetTextPosition},
    {nullptr, nullptr},
};

const luaL_Reg kHudTable[] = {
    {"SetCursor", bind::SetCursorChecked},
    {"PlayVideo", bind::PlayVideo},
    {"PlayVideoNoSound", bind::PlayVideoNoSound},
    {"PlayVideo1", bind::PlayVideo1},
    {"StopVideo", bind::StopVideo},
    {"StopVideo1", bind::StopVideo1},
    {"GetWindowPosition", bind::GetWindowPosition},
    {"ClearGlobalTimer", bind::ClearTimer},
    {nullptr, nullptr},
};

void RegisterTable(lua_State* L, const luaL_Reg* table)
{
    for (const luaL_Reg* entry = table; entry->name; ++entry) {
        lua_pushcfunction(L, entry->func);
        lua_setglobal(L, entry->name);
    }
}

} // namespace

const luaL_Reg* GetEngineCoreTable() { return kEngineCoreTable; }
const luaL_Reg* GetGameTable() { return kGameTable; }
const luaL_Reg* GetHudTable() { return kHudTable; }

void RegisterScriptTables(lua_State* L)
{
    RegisterTable(L, kEngineCoreTable);
    RegisterTable(L, kGameTable);
    RegisterTable(L, kHudTable);
}
