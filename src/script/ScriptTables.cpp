#include "script/ScriptTables.h"

#include "script/ActionBindings.h"
#include "script/CombatBindings.h"
#include "script/CoreBindings.h"
#include "script/InterfaceBindings.h"
#include "script/LevelBindings.h"
#include "script/LightningBindings.h"
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
    {"Shot", bind::Shot},
    {"GetEnemyData", bind::GetEnemyData},
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
    {"InitLevel", bind::InitLevel},
    {"StartLevel", bind::StartLevel},
    {"StopLevel", bind::StopLevel},
    {"DeleteLevel", bind::DeleteLevel},
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
    {"AddEnemy", bind::AddEnemy},
    {"GetPlayerPosition", bind::GetPlayerPosition},
    {"GetPositionForEnemy", bind::GetPositionForEnemy},
    {"GetEnemyType", bind::GetEnemyType},
    {"LoadMissionInfo", bind::LoadMissionInfo},
    {"GetCheckPointInfo", bind::GetCheckPointInfo},
    {"IsEnemySourceNear", bind::IsEnemySourceNear},
    {"GetCheckPointsCount", bind::GetCheckPointsCount},
    {"UpdateInterfaceBuffers", bind::UpdateInterfaceBuffers},
    {"SetLevelTime", bind::SetLevelTime},
    {"SetBonus", bind::SetBonus},
    {"CommitCarSettings", bind::CommitCarSettings},
    {"SmartBomb", bind::SmartBomb},
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
    {"GetAIPositions", bind::GetAIPositions},
    {"SaveActions", bind::SaveActions},
    {"LoadActions", bind::LoadActions},
    {"Explosion", bind::Explosion},
    {"GetLevelSize", bind::GetLevelSize},
    {"CheckVisible", bind::CheckVisible},
    {"SetFont", bind::SetFont},
    {"SetFontString", bind::SetFontString},
    {"DeselectCurrentButton", bind::DeselectCurrentButton},
    {"SilentActivateInterface", bind::SilentActivateInterface},
    {"SetProfileName", bind::SetProfileName},
    {"UpdateSoundPosition", bind::UpdateSoundPosition},
    {"AddBonus", bind::AddBonus},
    {"EraseBonus", bind::EraseBonus},
    {"GetBonusList", bind::GetBonusList},
    {"DirectionalExplosion", bind::DirectionalExplosion},
    {"StartLighting", bind::StartLighting},
    {"UpdateTrasser", bind::UpdateTrasser},
    {"GetBonusesCount", bind::GetBonusesCount},
    {"ClearBonuses", bind::ClearBonuses},
    {"GetCurrentRace", bind::GetCurrentMission},
    {"SetCurrentRace", bind::SetCurrentMission},
    {"SetWindowSize", bind::SetWindowSize},
    {"StopSpecialSound", bind::StopSpecialSound},
    {"IsSpecialSoundPlaying", bind::IsSpecialSoundPlaying},
    {"SetLevelTransportCount", bind::SetLevelTransportCount},
    {"UpdateActions", bind::UpdateActions},
    {"GetTextPosition", bind::GetTextPosition},
    {"SetTextPosition", bind::SetTextPosition},
    {nullptr, nullptr},
};

const luaL_Reg kHudTable[] = {
    {"PlayerShot", bind::PlayerShot},
    {"Jump", bind::Jump},
    {"SetCursor", bind::SetCursorChecked},
    {"PlayVideo", bind::PlayVideo},
    {"PlayVideoNoSound", bind::PlayVideoNoSound},
    {"PlayVideo1", bind::PlayVideo1},
    {"StopVideo", bind::StopVideo},
    {"StopVideo1", bind::StopVideo1},
    {"ShowCheckPoint", bind::ShowCheckPoint},
    {"KillPlayer", bind::KillPlayer},
    {"DamagePlayer", bind::DamagePlayer},
    {"SetShot", bind::SetShot},
    {"SetMineShot", bind::SetMineShot},
    {"IsRigid", bind::IsRigid},
    {"StartAnimation", bind::StartAnimation},
    {"FindObject", bind::FindObject},
    {"SetCurrentWeapon", bind::SetCurrentWeapon},
    {"SetPrevWeapon", bind::SetPrevWeapon},
    {"SetNextWeapon", bind::SetNextWeapon},
    {"GetRealCarInfo", bind::GetRealCarInfo},
    {"GetWindowPosition", bind::GetWindowPosition},
    {"ClearGlobalTimer", bind::ClearTimer},
    {"SetDifficult", bind::SetDifficult},
    {"GetDifficulty", bind::GetDifficulty},
    {"SetObjectVisible", bind::SetObjectVisible},
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
