#pragma once

#include <lua.hpp>

// The special sounds, the music played once, the sound and music volumes
// the settings the options menu shows and the videos.
namespace bind {

int PlaySpecialSound(lua_State* L);
int PlaySpecialSound3D(lua_State* L);
int StopSpecialSound(lua_State* L);
int IsSpecialSoundPlaying(lua_State* L);
int UpdateSoundPosition(lua_State* L);
int StopSounds(lua_State* L);
int PlayMusicNoLoop(lua_State* L);
int GetMusicName(lua_State* L);
int GetSoundVolume(lua_State* L);
int SetSoundVolume(lua_State* L);
int GetMusicVolume(lua_State* L);
int SetMusicVolume(lua_State* L);
int GetMouse(lua_State* L);
int SetMouse(lua_State* L);
int GetBrightness(lua_State* L);

// The two video players, which the kernel steps while a video runs.
int PlayVideo(lua_State* L);
int PlayVideoNoSound(lua_State* L);
int PlayVideo1(lua_State* L);
int StopVideo(lua_State* L);
int StopVideo1(lua_State* L);

} // namespace bind
