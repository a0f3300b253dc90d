// Host game controllers through SDL's game-controller subsystem (no video, no
// window: the window is Qt's). Up to two controllers fill the machine's two
// sticks; they may come and go while the machine runs. A controller's left
// stick or its D-pad steers, its buttons keep SDL's order (A, the fire
// button, is bit 0).
#pragma once

#include <array>
#include <cstdio>
#include <string>

#include "devices/joystick.h"

struct _SDL_GameController;

namespace kestrel {

class SdlJoysticks {
public:
    static constexpr int kSticks = Joystick::kSticks;

    SdlJoysticks() = default;
    ~SdlJoysticks();
    SdlJoysticks(const SdlJoysticks&) = delete;
    SdlJoysticks& operator=(const SdlJoysticks&) = delete;

    // Starts the controller subsystem, leaving SDL's audio alone. When SDL
    // cannot, that goes once to `diagnostics` (may be null) and polling does
    // nothing. Each controller taken on is named there too.
    bool start(std::FILE* diagnostics);
    void stop();
    bool started() const { return started_; }

    // Takes controllers plugged in or out since the last call and reads the
    // sticks; once per frame.
    void poll();
    // Not connected while no controller is on the stick.
    const JoystickState& state(int stick) const { return states_[static_cast<size_t>(stick)]; }
    std::string name(int stick) const;

private:
    void attach(int deviceIndex);
    void detach(int instanceId);
    void read(int stick);

    std::array<_SDL_GameController*, kSticks> pads_{};
    std::array<JoystickState, kSticks> states_{};
    std::FILE* diagnostics_ = nullptr;
    bool started_ = false;
    bool failed_ = false;  // said once, not tried again
};

}  // namespace kestrel
