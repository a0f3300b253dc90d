// A machine at the open BASIC's prompt, for tests that type lines and read
// the screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "machine/machine.h"
#include "machine/screen_text.h"
#include "machine_peer.h"
#include "quiet_machine.h"

namespace kestrel::test {

class Basic {
public:
    // Answers MEMORY SIZE? with `memorySize` (nullptr: leaves the question).
    explicit Basic(const char* memorySize = "") : m(std::make_unique<Machine>(quietMachineOptions())) {
        m->startUp();
        run(20);
        if (memorySize) type(std::string(memorySize) + "\r");
    }
    uint16_t word(uint16_t a) const {
        const uint8_t* mem = inside(*m).bus.memoryBase();
        return static_cast<uint16_t>(mem[a] | mem[a + 1] << 8);
    }
    void run(int frames) {
        for (int i = 0; i < frames; ++i) m->runFrame();
    }
    // Types the text (a line per '\r') and runs until it is used up, then
    // `extra` frames more.
    void type(const std::string& text, int extra = 20) {
        std::string keys;  // the typed-text reader takes CR as the first half of CR LF
        for (char c : text) keys += c == '\r' ? std::string("\r\n") : std::string(1, c);
        m->typeText(keys);
        for (int i = 0; i < 20000 && inside(*m).typedText.typedPos < inside(*m).typedText.typedLength; ++i) m->runFrame();
        run(extra);
    }
    // BREAK held for three frames, then three more frames.
    void pressBreak() {
        inside(*m).keyboard.press(6, 2);
        run(3);
        inside(*m).keyboard.release(6, 2);
        run(3);
    }
    std::string screen() { return screenText(inside(*m).bus.memoryBase() + 0x3C00, "\n"); }
    // Clears the screen, types, gives the screen lines without trailing blanks
    // and without the cursor after the last prompt.
    std::string out(const std::string& text, int extra = 60) {
        type("CLS\r", 5);
        type(text, extra);
        std::string s = screen(), r, line;
        for (char c : s) {
            if (c == '\n') {
                while (!line.empty() && line.back() == ' ') line.pop_back();
                r += line + "\n";
                line.clear();
            } else {
                line += c;
            }
        }
        while (r.size() >= 2 && r.substr(r.size() - 2) == "\n\n") r.pop_back();
        if (r.compare(0, 6, "READY\n") == 0) r.erase(0, 6);  // left by CLS
        size_t end = r.empty() ? 0 : r.size() - 1;  // the cursor: one UTF-8 character
        while (end > 0 && static_cast<unsigned char>(r[end - 1]) >= 0x80) --end;
        if (end < r.size() - 1) r.erase(end);
        return r;
    }
    std::unique_ptr<Machine> m;
};

}  // namespace kestrel::test
