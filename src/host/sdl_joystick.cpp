#include "host/sdl_joystick.h"

#include <SDL.h>

#include <utility>

namespace kestrel {

namespace {

constexpr int32_t kAxisMin = -32768, kAxisMax = 32767;

SDL_JoystickID instanceOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

}  // namespace

SdlJoysticks::~SdlJoysticks() { stop(); }

bool SdlJoysticks::start(std::FILE* diagnostics) {
    if (started_) return true;
    if (failed_) return false;
    diagnostics_ = diagnostics;
    // As for sound: SIGINT and SIGTERM stay the program's own.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        failed_ = true;
        if (diagnostics_) std::fprintf(diagnostics_, "kestrel: no joysticks: %s\n", SDL_GetError());
        return false;
    }
    // Controllers already plugged in arrive as added events on the first poll.
    started_ = true;
    return true;
}

void SdlJoysticks::stop() {
    if (!started_) return;
    for (SDL_GameController*& pad : pads_) {
        if (pad) SDL_GameControllerClose(pad);
        pad = nullptr;
    }
    states_ = {};
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started_ = false;
}

void SdlJoysticks::poll() {
    if (!started_) return;
    // The controllers alone are updated; any other queued event (the audio
    // device's) stays where it is.
    SDL_GameControllerUpdate();
    SDL_Event events[32];
    int count;
    while ((count = SDL_PeepEvents(events, 32, SDL_GETEVENT, SDL_JOYAXISMOTION, SDL_FINGERDOWN - 1)) > 0) {
        for (int i = 0; i < count; ++i) {
            if (events[i].type == SDL_CONTROLLERDEVICEADDED) attach(events[i].cdevice.which);
            else if (events[i].type == SDL_CONTROLLERDEVICEREMOVED) detach(events[i].cdevice.which);
        }
    }
    for (int stick = 0; stick < kSticks; ++stick) read(stick);
}

std::string SdlJoysticks::name(int stick) const {
    SDL_GameController* pad = pads_[static_cast<size_t>(stick)];
    const char* text = pad ? SDL_GameControllerName(pad) : nullptr;
    return text ? text : "";
}

void SdlJoysticks::attach(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    int free = -1;
    for (int stick = kSticks - 1; stick >= 0; --stick) {
        SDL_GameController* pad = pads_[static_cast<size_t>(stick)];
        if (pad && instanceOf(pad) == id) return;
        if (!pad) free = stick;
    }
    if (free < 0) return;
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad) {
        if (diagnostics_) std::fprintf(diagnostics_, "kestrel: cannot open a game controller: %s\n", SDL_GetError());
        return;
    }
    pads_[static_cast<size_t>(free)] = pad;
    if (diagnostics_) std::fprintf(diagnostics_, "kestrel: joystick %d: %s\n", free + 1, name(free).c_str());
}

void SdlJoysticks::detach(int instanceId) {
    for (SDL_GameController*& pad : pads_) {
        if (pad && instanceOf(pad) == instanceId) {
            SDL_GameControllerClose(pad);
            pad = nullptr;
        }
    }
    // The guest reads the first stick only: a controller left on the second
    // takes its place, and one waiting unused takes a free stick.
    if (!pads_[0] && pads_[1]) std::swap(pads_[0], pads_[1]);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) attach(i);
}

void SdlJoysticks::read(int stick) {
    SDL_GameController* pad = pads_[static_cast<size_t>(stick)];
    JoystickState s;
    if (pad && SDL_GameControllerGetAttached(pad)) {
        s.connected = true;
        s.axisMin = kAxisMin;
        s.axisMax = kAxisMax;
        s.x = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
        s.y = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
        const auto held = [pad](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
        // The D-pad, when pressed, wins over the stick.
        if (held(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) s.x = kAxisMin;
        else if (held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) s.x = kAxisMax;
        if (held(SDL_CONTROLLER_BUTTON_DPAD_UP)) s.y = kAxisMin;
        else if (held(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) s.y = kAxisMax;
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
            if (held(static_cast<SDL_GameControllerButton>(b))) s.buttons |= 1u << b;
    }
    states_[static_cast<size_t>(stick)] = s;
}

}  // namespace kestrel
