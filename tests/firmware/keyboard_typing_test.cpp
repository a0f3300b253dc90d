// Host keys to the screen: key events through the matrix, the open firmware's
// keyboard driver and BASIC, in both mappings, typed as quickly as automation
// types.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "basic_session.h"

namespace kestrel {
namespace {

using namespace hostkey;

// Host text on a US layout, each key pressed and let go at once, the next
// `framesApart` frames later (0: all at once, as automation types). With Caps
// Lock the letters come without Shift in upper case and with it in lower case.
void typeAsHost(test::Basic& b, const std::string& text, int framesApart, bool capsLock = false) {
    Keyboard& k = inside(*b.m).keyboard;
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
        b.run(framesApart);
    }
    for (int i = 0; i < 5000 && !k.settled(); ++i) b.run(1);
    b.run(30);
}

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
        SCOPED_TRACE(&c - cases);
        test::Basic b(nullptr);
        inside(*b.m).keyboard.setKeyMode(c.symbolic);
        typeAsHost(b, "\r", 0);  // MEMORY SIZE?
        typeAsHost(b, c.typed + std::string("\r"), c.framesApart, c.capsLock);
        std::istringstream screen(b.screen());
        std::vector<std::string> shown;  // the lines without trailing blanks
        for (std::string line; std::getline(screen, line);) shown.push_back(line.erase(line.find_last_not_of(' ') + 1));
        const auto echo = std::find(shown.begin(), shown.end(), c.echo);
        ASSERT_TRUE(echo != shown.end() && echo + 1 != shown.end()) << b.screen();
        EXPECT_EQ(echo[1], c.output);
    }
}

}  // namespace
}  // namespace kestrel
