#include "host/sdl_joystick.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace kestrel {
namespace {

#if SDL_VERSION_ATLEAST(2, 24, 0)

// A virtual controller with every axis and button SDL knows, so that SDL maps
// it as a game controller by itself; its instance id.
SDL_JoystickID plugIn(const char* name) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = name;
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    return index < 0 ? -1 : SDL_JoystickGetDeviceInstanceID(index);
}

void pullOut(SDL_JoystickID id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
}

// Controllers plugged in and pulled out while polling: each takes a free
// stick, the one left takes the first stick, and a controller's stick, D-pad
// and A button reach the port byte.
TEST(SdlJoysticks, VirtualControllersComeMoveAndGo) {
    SdlJoysticks sticks;
    if (!sticks.start(nullptr)) GTEST_SKIP() << "no SDL game-controller subsystem: " << SDL_GetError();
    sticks.poll();
    if (sticks.state(0).connected) GTEST_SKIP() << "a real controller is plugged in";

    const SDL_JoystickID first = plugIn("first");
    if (first < 0) GTEST_SKIP() << "this SDL has no virtual joysticks: " << SDL_GetError();
    sticks.poll();
    ASSERT_TRUE(sticks.state(0).connected);
    EXPECT_FALSE(sticks.state(1).connected);
    EXPECT_EQ(sticks.name(0), "first");

    SDL_Joystick* joystick = SDL_JoystickFromInstanceID(first);
    ASSERT_NE(joystick, nullptr);
    struct Case {
        Sint16 x, y;
        SDL_GameControllerButton button;  // held alone
        uint8_t port;
    };
    const Case cases[] = {
        {-32768, 0, SDL_CONTROLLER_BUTTON_A, 0xEB},
        {6552, 6553, SDL_CONTROLLER_BUTTON_INVALID, 0xFD},  // x on the dead zone's edge
        {0, 0, SDL_CONTROLLER_BUTTON_DPAD_UP, 0xFE},
        {-32768, 0, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0xF7},  // the D-pad wins
        {0, 0, SDL_CONTROLLER_BUTTON_B, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " button " << c.button);
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, c.x);
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, c.y);
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) SDL_JoystickSetVirtualButton(joystick, b, b == c.button);
        sticks.poll();
        EXPECT_EQ(joystickPortByte(sticks.state(0)), c.port);
    }

    const SDL_JoystickID second = plugIn("second");
    sticks.poll();
    EXPECT_EQ(sticks.name(1), "second");
    pullOut(first);
    sticks.poll();
    EXPECT_TRUE(sticks.state(0).connected);
    EXPECT_EQ(sticks.name(0), "second");
    EXPECT_FALSE(sticks.state(1).connected);
    pullOut(second);
    sticks.poll();
    EXPECT_FALSE(sticks.state(0).connected);
    EXPECT_EQ(joystickPortByte(sticks.state(0)), 0xFF);
    sticks.stop();
    sticks.poll();  // stopped: nothing to do
}

#endif  // SDL 2.24 or later: virtual game controllers

}  // namespace
}  // namespace kestrel
