// Host keys to the screen: key events through the matrix, the open firmware's
// keyboard driver and BASIC, in both mappings, typed as quickly as automation
// types.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/screen_text.h"
#include "quiet_machine.h"
#include "machine_peer.h"

namespace kestrel {
namespace {

using namespace hostkey;

class Typist {
public:
    explicit Typist(bool symbolic) : m(std::make_unique<Machine>(test::quietMachineOptions())) {
        m->startUp();
        inside(*m).keyboard.setKeyMode(symbolic);
        run(20);
        type("\r", 0);  // MEMORY SIZE?
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) m->runFrame();
    }
    // Host text on a US layout, each key pressed and let go at once, the
    // next `framesApart` frames later (0: all at once, as automation types). With Caps Lock the letters come
    // without Shift in upper case and with it in lower case.
    void type(const std::string& text, int framesApart, bool capsLock = false) {
        Keyboard& k = inside(*m).keyboard;
        for (char c : text) {
            int key = c == '\r' ? kReturn : usLayoutKeyForChar(c);
            ASSERT_GT(key, 0) << c;
            const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
            const bool shift = ((key & kShiftBit) != 0) != (capsLock && letter);
            key &= 0xFF;
            if (shift) k.hostKeyDown(kShift);
            k.hostKeyDown(key, c == '\r' ? 0 : c);
            // Automation lets go of Shift before the key.
            if (shift && framesApart == 0) k.hostKeyUp(kShift);
            k.hostKeyUp(key);
            if (shift && framesApart != 0) k.hostKeyUp(kShift);
            run(framesApart);
        }
        for (int i = 0; i < 5000 && !k.settled(); ++i) run(1);
        run(30);
    }
    // The screen's lines without trailing blanks.
    std::vector<std::string> lines() const {
        const std::string s = screenText(inside(*m).bus.memoryBase() + 0x3C00, "\n");
        std::vector<std::string> out;
        for (size_t at = 0; at < s.size();) {
            const size_t end = s.find('\n', at);
            std::string line = s.substr(at, end - at);
            line.erase(line.find_last_not_of(' ') + 1);
            out.push_back(line);
            at = end + 1;
        }
        return out;
    }
    std::unique_ptr<Machine> m;
};

TEST(KeyboardTyping, WhatTheHostTypesIsWhatTheScreenShows) {
    struct Case {
        bool symbolic;
        int framesApart;
        bool capsLock;
        const char* typed;
        const char* echo;
        const char* output;
    };
    const Case cases[] = {
        {true, 3, false, "PRINT \"Hello World\"", ">PRINT \"Hello World\"", "Hello World"},
        {true, 0, false, "print \"xxxxxxxxxxxxxxxxxxxx\"", ">print \"xxxxxxxxxxxxxxxxxxxx\"", "xxxxxxxxxxxxxxxxxxxx"},
        {true, 1, true, "PRINT \"Hello World\";1+2", ">PRINT \"Hello World\";1+2", "Hello World 3"},
        // By position the host's Shift+2 is the machine's: a double quote.
        {false, 3, false, "PRINT @Hello World@", ">PRINT \"Hello World\"", "Hello World"},
        {false, 0, true, "PRINT @Hello World@", ">PRINT \"Hello World\"", "Hello World"},
        {false, 0, false, "print @xxxxxxxxxxxxxxxxxxxx@", ">print \"xxxxxxxxxxxxxxxxxxxx\"", "xxxxxxxxxxxxxxxxxxxx"},
    };
    for (const Case& c : cases) {
        Typist t(c.symbolic);
        t.type(c.typed + std::string("\r"), c.framesApart, c.capsLock);
        const std::vector<std::string> shown = t.lines();
        size_t at = 0;
        while (at < shown.size() && shown[at] != c.echo) ++at;
        ASSERT_LT(at + 1, shown.size()) << &c - cases << "\n" << screenText(inside(*t.m).bus.memoryBase() + 0x3C00, "|\n");
        EXPECT_EQ(shown[at + 1], c.output) << &c - cases;
    }
}

}  // namespace
}  // namespace kestrel
