#include <gtest/gtest.h>

#include <memory>

#include "devices/joystick.h"
#include "machine/machine.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

// What a host controller (signed axes) and a keypad-sized stick report.
constexpr int32_t kMin = -32768, kMax = 32767;

JoystickState stick(int32_t x, int32_t y, uint32_t buttons = 0, int32_t lo = kMin, int32_t hi = kMax) {
    return {.connected = true, .x = x, .y = y, .axisMin = lo, .axisMax = hi, .buttons = buttons};
}

TEST(Joystick, DeadZoneIsAFifthOfTheRangeAroundItsMiddle) {
    struct Case {
        int32_t min, max, low, high;
    };
    const Case cases[] = {
        {0, 65535, 26213, 39320},  // unsigned axes
        {kMin, kMax, -6555, 6552},  // signed axes centre on 0
        {-1, 1, 0, 0},
        {INT32_MIN, INT32_MAX, -429496731, 429496728},  // no overflow
    };
    for (const Case& c : cases) {
        const DeadZone zone = deadZone(c.min, c.max);
        EXPECT_EQ(zone.low, c.low) << c.min << ".." << c.max;
        EXPECT_EQ(zone.high, c.high) << c.min << ".." << c.max;
    }
}

TEST(Joystick, PortByteForEachDirectionFireAndDeadZoneEdge) {
    const DeadZone zone = deadZone(kMin, kMax);
    struct Case {
        JoystickState state;
        uint8_t port;
    };
    const Case cases[] = {
        {stick(0, 0), 0xFF},
        {stick(0, kMin), 0xFE},                // up
        {stick(0, kMax), 0xFD},                // down
        {stick(kMin, 0), 0xFB},                // left
        {stick(kMax, 0), 0xF7},                // right
        {stick(0, 0, 1), 0xEF},                // fire
        {stick(0, 0, 2), 0xFF},                // another button is not fire
        {stick(kMin, kMin, 1), 0xEA},          // up-left with fire
        {stick(kMax, kMax), 0xF5},             // down-right
        {stick(kMax, kMin), 0xF6},             // up-right
        {stick(kMin, kMax), 0xF9},             // down-left
        {stick(zone.high, zone.high), 0xFF},   // the edges are still centred
        {stick(zone.low, zone.low), 0xFF},
        {stick(zone.high + 1, zone.low - 1), 0xF6},
        {stick(zone.low - 1, zone.high + 1), 0xF9},
        {stick(-1, 1, 0, -1, 1), 0xF9},        // a three-position keypad stick
        {stick(5, 5, 1, 7, 7), 0xEF},          // no axis range: fire only
        {{.connected = false, .x = kMin, .y = kMin, .axisMin = kMin, .axisMax = kMax, .buttons = 1}, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.state.x << " y " << c.state.y << " buttons " << c.state.buttons);
        EXPECT_EQ(joystickPortByte(c.state), c.port);
    }
}

// The guest reads the first stick on ports 0x00-0x7F and 0xF7; a stick that
// goes away reads as let go, whatever it last showed.
TEST(Joystick, TwoSticksReachTheMachineAndADisconnectReadsCentred) {
    auto m = std::make_unique<Machine>();
    MachineBus& bus = inside(*m).bus;
    const auto ports = [&bus](uint8_t expected) {
        for (uint8_t port : {0x00, 0x13, 0x7F, 0xF7}) EXPECT_EQ(bus.portIn(port), expected) << int(port);
        EXPECT_EQ(bus.portIn(0x80), 0xFF);
    };
    ports(0xFF);
    m->setJoystickState(1, stick(kMin, 0, 1));
    ports(0xFF);
    EXPECT_EQ(m->joystickPortByte(1), 0xEB);
    m->setJoystickState(0, stick(kMin, kMin, 1));
    ports(0xEA);
    EXPECT_EQ(m->joystickPortByte(1), 0xEB);
    JoystickState gone = stick(kMin, kMin, 1);
    gone.connected = false;
    m->setJoystickState(0, gone);
    ports(0xFF);
    EXPECT_EQ(m->joystickPortByte(1), 0xEB);
    m->setJoystickState(2, stick(kMin, kMin, 1));  // no third stick
    m->setJoystickState(-1, stick(kMin, kMin, 1));
    ports(0xFF);
    EXPECT_EQ(m->joystickPortByte(2), 0xFF);
}

}  // namespace
}  // namespace kestrel
