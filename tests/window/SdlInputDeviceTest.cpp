// The window's keyboard and mouse: SDL's keys become the game's scan codes.
#include <gtest/gtest.h>

#if RS_HAVE_WINDOW
#include <SDL.h>

#include "platform/gl/SdlInputDevice.h"
#include "platform/gl/SdlScanCodes.h"

using namespace platform;

TEST(SdlScanCodes, KeysMapToTheCodesTheKeyNamesUse)
{
    const struct {
        SDL_Scancode key;
        int code;
    } cases[] = {
        {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_0, 0x0B},     {SDL_SCANCODE_Q, 0x10},
        {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_A, 0x1E},     {SDL_SCANCODE_GRAVE, 0x29},
        {SDL_SCANCODE_M, 0x32},      {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_F10, 0x44},
        {SDL_SCANCODE_KP_0, 0x52},   {SDL_SCANCODE_F12, 0x58},   {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_RCTRL, 0x9D},  {SDL_SCANCODE_RALT, 0xB8},  {SDL_SCANCODE_UP, 0xC8},
        {SDL_SCANCODE_LEFT, 0xCB},   {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_DOWN, 0xD0},
        {SDL_SCANCODE_DELETE, 0xD3}, {SDL_SCANCODE_UNKNOWN, 0},  {SDL_SCANCODE_AUDIOPLAY, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScanCodeFromSdl(c.key), c.code) << SDL_GetScancodeName(c.key);
    EXPECT_EQ(ScanCodeFromSdl(-1), 0);
    EXPECT_EQ(ScanCodeFromSdl(SDL_NUM_SCANCODES), 0);
}

TEST(SdlInputDevice, EventsBecomeKeysButtonsAndMouse)
{
    SdlInputDevice input(640, 480);
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = SDL_SCANCODE_UP;
    EXPECT_TRUE(input.HandleEvent(event));
    EXPECT_TRUE(input.IsKeyDown(0xC8));
    event.type = SDL_KEYUP;
    input.HandleEvent(event);
    EXPECT_FALSE(input.IsKeyDown(0xC8));

    // SDL's right button is the game's button 1, its middle one 2.
    event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 120;
    event.button.y = 45;
    input.HandleEvent(event);
    EXPECT_TRUE(input.IsButtonDown(1));
    EXPECT_FALSE(input.IsButtonDown(2));
    EXPECT_EQ(input.GetMouseX(), 120.0f);
    EXPECT_EQ(input.GetMouseY(), 45.0f);
    event.button.button = SDL_BUTTON_MIDDLE;
    input.HandleEvent(event);
    EXPECT_TRUE(input.IsButtonDown(2));

    // Keys and buttons held when the window loses the focus are let go.
    event = {};
    event.type = SDL_KEYDOWN;
    event.key.keysym.scancode = SDL_SCANCODE_SPACE;
    input.HandleEvent(event);
    event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    input.HandleEvent(event);
    EXPECT_FALSE(input.IsKeyDown(0x39));
    EXPECT_FALSE(input.IsButtonDown(1));

    event = {};
    event.type = SDL_QUIT;
    EXPECT_FALSE(input.HandleEvent(event));
}

#else
TEST(SdlInputDevice, NeedsTheWindowBuild) { GTEST_SKIP() << "this build has no window device"; }
#endif
