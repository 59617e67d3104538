#include "script/MediaBindings.h"

#include <string>

#include "Render/PAVIPlayer.h"
#include "Render/PAVIPlayer1.h"
#include "Sound/NSound.h"
#include "Sound/PMusic.h"
#include "Sound/SoundLibrary.h"
#include "Sound/SoundManager.h"
#include "core/GameSettings.h"
#include "core/Kernel.h"
#include "core/Singletons.h"
#include "core/TaskPriorities.h"
#include "script/ScriptArgs.h"

namespace bind {

namespace {

// The special sound of that name; null without a sound manager or when
// the name holds no sound.
CNSound* FindSpecialSound(const std::string& name)
{
    CPSoundManager* manager = GetSoundManager();
    if (!manager)
        return nullptr;
    return manager->GetSound(name).As<CNSound>();
}

Vector3 ReadVector(lua_State* L, int first)
{
    return Vector3{LuaToFloat(L, first), LuaToFloat(L, first + 1), LuaToFloat(L, first + 2)};
}

// Only a real boolean true counts: 1 or "yes" do not.
bool IsBooleanTrue(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TBOOLEAN && lua_toboolean(L, index);
}

void StartVideoTask(CPVideoPlayer& player)
{
    player.SetPriority(taskpriority::kVideoPlayer);
    CPKernel* kernel = GetKernel();
    if (!kernel)
        return;
    CPObjectPtr task(&player);
    kernel->AddTask(task); // refuses a player that already runs
}

int PlayInFirstPlayer(lua_State* L, bool noSound)
{
    const std::string name = LuaToText(L, 1);
    const bool option = lua_gettop(L) >= 2 && lua_toboolean(L, 2);
    CPAVIPlayer* player = GetAVIPlayer();
    if (!player)
        return 0;
    player->Play(name, noSound);
    if (option)
        player->SetOption(true);
    StartVideoTask(*player);
    return 0;
}

void StopAndRewind(CNSound& sound)
{
    sound.StopPlaying();
    sound.Rewind();
}

} // namespace

int PlaySpecialSound(lua_State* L)
{
    const std::string name = LuaCheckText(L, 1).Str();
    CNSound* sound = FindSpecialSound(name);
    if (!sound)
        return 0;
    if (sound->IsPlaying())
        StopAndRewind(*sound);
    sound->Play(0, 0);
    return 0;
}

int PlaySpecialSound3D(lua_State* L)
{
    const std::string name = LuaCheckText(L, 1).Str();
    const Vector3 position = ReadVector(L, 2);
    const std::uint32_t flags = IsBooleanTrue(L, 5) ? CNSound::kPlayLooping : 0;
    const bool keep = IsBooleanTrue(L, 6);

    CNSound* sound = FindSpecialSound(name);
    if (!sound) {
        lua_pushboolean(L, 1);
        return 1;
    }
    SetSound3DPosition(CPObjectPtr(sound), position, Vector3{});
    if (sound->IsPlaying()) {
        if (keep) {
            lua_pushboolean(L, 0);
            return 1;
        }
        StopAndRewind(*sound);
    }
    sound->Play(0, flags);
    lua_pushboolean(L, 1);
    return 1;
}

int StopSpecialSound(lua_State* L)
{
    const std::string name = LuaCheckText(L, 1).Str();
    if (CNSound* sound = FindSpecialSound(name))
        sound->StopPlaying();
    return 0;
}

int IsSpecialSoundPlaying(lua_State* L)
{
    const std::string name = LuaCheckText(L, 1).Str();
    const CNSound* sound = FindSpecialSound(name);
    lua_pushboolean(L, sound && sound->IsPlaying());
    return 1;
}

int UpdateSoundPosition(lua_State* L)
{
    const std::string name = LuaToText(L, 1);
    const Vector3 position = ReadVector(L, 2);
    Vector3 velocity;
    if (lua_isnumber(L, 5) && lua_isnumber(L, 6) && lua_isnumber(L, 7))
        velocity = ReadVector(L, 5);
    if (CNSound* sound = FindSpecialSound(name))
        SetSound3DPosition(CPObjectPtr(sound), position, velocity);
    return 0;
}

int StopSounds(lua_State*)
{
    if (CPSoundManager* manager = GetSoundManager()) {
        for (const CPSoundLibrary::Entry& entry : manager->GetLibrary()->GetEntries()) {
            if (entry.sound)
                StopAndRewind(*entry.sound);
        }
    }
    for (CNSound* sound : CNSound::GetSoundList())
        sound->StopPlaying();
    return 0;
}

int PlayMusicNoLoop(lua_State* L)
{
    // Play lists the player with the kernel, which begins it. Beginning it
    // here as well would mark a player whose track failed as running while
    // no kernel steps it, and the next Play would then not list it.
    if (CPMusic* music = GetMusicPlayer())
        music->Play(LuaToText(L, 1), false);
    return 0;
}

int GetMusicName(lua_State* L)
{
    const CPMusic* music = GetMusicPlayer();
    lua_pushstring(L, music ? music->GetName().c_str() : "");
    return 1;
}

int GetSoundVolume(lua_State* L)
{
    lua_pushnumber(L, GetGameSettings().soundVolume);
    return 1;
}

int SetSoundVolume(lua_State* L)
{
    SetGlobalSoundVolume(LuaToFloat(L, 1));
    return 0;
}

int GetMusicVolume(lua_State* L)
{
    lua_pushnumber(L, GetGameSettings().musicVolume);
    return 1;
}

int SetMusicVolume(lua_State* L)
{
    SetGlobalMusicVolume(LuaToFloat(L, 1));
    return 0;
}

int GetMouse(lua_State* L)
{
    lua_pushnumber(L, GetGameSettings().mouse);
    return 1;
}

int SetMouse(lua_State* L)
{
    GetGameSettings().mouse = LuaToFloat(L, 1);
    return 0;
}

int GetBrightness(lua_State* L)
{
    lua_pushnumber(L, GetGameSettings().brightness);
    return 1;
}

int PlayVideo(lua_State* L) { return PlayInFirstPlayer(L, false); }

int PlayVideoNoSound(lua_State* L) { return PlayInFirstPlayer(L, true); }

int PlayVideo1(lua_State* L)
{
    const std::string name = LuaCheckText(L, 1).Str();
    CPAVIPlayer1* player = GetAVIPlayer1();
    if (!player)
        return 0;
    player->Play(name);
    player->SetOption(true);
    StartVideoTask(*player);
    return 0;
}

int StopVideo(lua_State*)
{
    CPAVIPlayer* player = GetAVIPlayer();
    if (player && player->IsRunning())
        player->End();
    return 0;
}

int StopVideo1(lua_State*)
{
    CPAVIPlayer1* player = GetAVIPlayer1();
    if (player && player->IsRunning())
        player->End();
    return 0;
}

} // namespace bind
