// The open firmware running on the emulated machine: power-on in every machine
// kind, the keyboard through the matrix, line input, the screen driver, the
// reset key. Everything is observed the way a user or a program would: the
// video RAM, the communication area, the registers a called routine leaves.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/open_firmware.h"
#include "z80/z80.h"
#include "machine_peer.h"
#include "scratch_files.h"

namespace kestrel {
namespace {

constexpr int32_t kFrame = 35000;  // T-states per 50 Hz frame at 1.77 MHz
constexpr int kTwoSeconds = 101;   // frames
constexpr uint16_t kScreen = 0x3C00;
const std::string kCursor = "\xB0";  // the cursor block

struct Key {
    int row;
    int bit;
    bool shift = false;
};

constexpr Key kEnter{6, 0};
constexpr Key kClear{6, 1};
constexpr Key kBreak{6, 2};
constexpr Key kLeft{6, 5};

// Where a character sits on the keyboard (the machine's matrix layout; SHIFT @
// is the grave accent); '~' stands for no character in a place.
Key keyFor(char c) {
    static const char* const rows[] = {"@ABCDEFG", "HIJKLMNO", "PQRSTUVW", "XYZ", "01234567", "89:;,-./", "\r~~~~~~ "};
    static const char* const shifted[] = {"`abcdefg", "hijklmno", "pqrstuvw", "xyz", "~!\"#$%&'", "()*+<=>?"};
    for (int r = 0; r < 7; ++r) {
        if (const char* p = std::strchr(rows[r], c); p && c != '~' && c) return {r, static_cast<int>(p - rows[r])};
        if (const char* p = r < 6 ? std::strchr(shifted[r], c) : nullptr; p && c != '~' && c)
            return {r, static_cast<int>(p - shifted[r]), true};
    }
    ADD_FAILURE() << "no key for " << c;
    return {7, 7};
}

struct Setup {
    uint16_t ramTop = 0xFFFF;
    int configIndex = 0;
    bool garbageExpansion = false;
};

class Firmware {
public:
    explicit Firmware(const Setup& s = {}) : m(std::make_unique<Machine>()) {
        uint8_t* mem = inside(*m).bus.memoryBase();
        const auto rom = openFirmwareBasic();
        for (size_t i = 0; i < rom.size(); ++i) mem[i] = rom[i];
        uint32_t noise = 0x12345678;
        for (int a = 0x3000; a < 0x3800; ++a) {
            noise = noise * 1103515245u + 12345u;
            mem[a] = s.garbageExpansion ? static_cast<uint8_t>(noise >> 16) : 0;
        }
        for (int a = 0x3C00; a < 0x4000; ++a) mem[a] = 0x20;
        for (int a = 0x4000; a < 0x10000; ++a) mem[a] = static_cast<uint8_t>(a * 7 + (a >> 8) + 3);
        inside(*m).bus.setRamTop(s.ramTop);
        inside(*m).bus.activeConfigIndex = s.configIndex;
        z80Reset(inside(*m).cpu);
    }

    void run(int frames) {
        for (int i = 0; i < frames; ++i) m->runCycles(kFrame);
    }
    // Power-on, and ENTER for MEMORY SIZE? (all the memory).
    void boot() {
        run(kTwoSeconds);
        tap(kEnter);
        run(10);
    }

    Z80& cpu() const { return inside(*m).cpu; }
    Keyboard& keys() const { return inside(*m).keyboard; }
    uint8_t peek(uint16_t a) const { return inside(*m).bus.memoryBase()[a]; }
    // n bytes of memory from a, as a string.
    std::string text(uint16_t a, size_t n) const {
        return std::string(reinterpret_cast<const char*>(inside(*m).bus.memoryBase() + a), n);
    }
    uint16_t word(uint16_t a) const { return static_cast<uint16_t>(peek(a) | peek(static_cast<uint16_t>(a + 1)) << 8); }
    void poke(uint16_t a, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes) inside(*m).bus.memoryBase()[a++] = b;
    }

    uint8_t screenAt(int row, int col) const { return peek(static_cast<uint16_t>(kScreen + row * 64 + col)); }
    // One screen line with trailing blanks removed.
    std::string line(int row) const {
        std::string s;
        for (int c = 0; c < 64; ++c) s += static_cast<char>(screenAt(row, c));
        return s.substr(0, s.find_last_not_of(' ') + 1);
    }
    std::string screenDump() const {
        std::string s;
        for (int r = 0; r < 16; ++r) s += line(r) + "|\n";
        return s;
    }
    uint16_t cursor() const { return word(0x4020); }

    // A key pressed long enough for the firmware to see it, then let go.
    void tap(Key k) {
        if (k.shift) inside(*m).keyboard.press(7, 0);
        inside(*m).keyboard.press(k.row, k.bit);
        run(3);
        inside(*m).keyboard.releaseAll();
        run(2);
    }
    void type(const std::string& keys) {
        for (char c : keys) tap(keyFor(c));
    }
    // The reset key: an NMI, held for `frames`.
    void pressReset(int frames) {
        inside(*m).cpu.nmiLine = 1;
        inside(*m).cpu.nmiTaken = 0;
        run(frames);
        inside(*m).cpu.nmiLine = 0;
    }

    // Starts a program placed in RAM and lets it run until its HALT.
    void runProgram(uint16_t start, uint16_t haltAt, int frames = 2) {
        inside(*m).cpu.PC = start;
        inside(*m).cpu.SP = 0x7000;
        run(frames);
        ASSERT_EQ(inside(*m).cpu.PC, haltAt) << "the program did not reach its HALT";
    }

    std::unique_ptr<Machine> m;
};

struct Booted : Firmware {
    Booted() { boot(); }
};

TEST(OpenFirmwareTest, ImageFillsTheBasicRomAndKeepsTheFixedEntryPoints) {
    const auto rom = openFirmwareBasic();
    ASSERT_EQ(rom.size(), 12288u);
    EXPECT_EQ(rom[0x0000], 0xF3);  // DI first: the processor may arrive from a reset
    // Every RST goes through its RAM vector: JP 4000h, 4003h ... 4012h.
    for (int n = 1; n <= 7; ++n) {
        SCOPED_TRACE(n);
        const int at = n * 8;
        EXPECT_EQ(rom[at], 0xC3);
        EXPECT_EQ(rom[at + 1] | rom[at + 2] << 8, 0x4000 + (n - 1) * 3);
    }
    // The tape trap at 0287h expects LD B,0FFh there.
    EXPECT_EQ(rom[0x0287], 0x06);
    EXPECT_EQ(rom[0x0288], 0xFF);
    // Where the tape traps resume, the stand-ins return.
    // The sync trap resumes at 029Bh on the test of the byte against A5h.
    EXPECT_EQ(rom[0x029B], 0xFE);
    EXPECT_EQ(rom[0x029C], 0xA5);
}

TEST(OpenFirmwareTest, BootsToReadyInEveryMachineKindAndMemorySize) {
    for (uint16_t top : {uint16_t{0x3FFF}, uint16_t{0xFFFF}}) {
        for (int config : {0, 3}) {
            for (bool garbage : {false, true}) {
                SCOPED_TRACE(testing::Message() << "ramTop " << top << " config " << config << " garbage " << garbage);
                Firmware f({top, config, garbage});
                f.boot();
                const bool small = top == 0x3FFF;
                std::string screen = "KESTREL OPEN FIRMWARE|\nVERSION 0.1  " + std::string(small ? "16" : "48") +
                                     "K RAM|\nREADY|\n>" + kCursor + "|\n";
                for (int r = 4; r < 16; ++r) screen += "|\n";
                EXPECT_EQ(f.screenDump(), screen);
                EXPECT_EQ(f.cursor(), kScreen + 3 * 64 + 1);

                const uint16_t memTop = small ? 0x7FFF : 0xFFFF;
                EXPECT_EQ(f.word(0x40B1), memTop);
                EXPECT_EQ(f.word(0x40A4), 0x42E9);
                EXPECT_EQ(f.peek(0x42E8), 0x00);
                EXPECT_EQ(f.word(0x40A7), 0x41E8);
                // Nothing held: the rollover image is clear.
                for (uint16_t a = 0x4036; a <= 0x403C; ++a) EXPECT_EQ(f.peek(a), 0) << a;
                // The stack lives in RAM below the top, not in the area a
                // BASIC program uses.
                EXPECT_GT(f.cpu().SP, 0x4400);
                EXPECT_LE(f.cpu().SP, memTop);
                // Device control blocks: drivers in the ROM, cursor in video RAM.
                EXPECT_LT(f.word(0x4016), 0x3000);
                EXPECT_LT(f.word(0x401E), 0x3000);
                EXPECT_LT(f.word(0x4026), 0x3000);
                // The processor is waiting for a key in the ROM.
                EXPECT_LT(f.cpu().PC, 0x3000);
            }
        }
    }
}

TEST(OpenFirmwareTest, CommandLineEchoesEditsAndReportsSyntaxErrors) {
    Booted f;
    f.type("HELLO");
    EXPECT_EQ(f.line(3), ">HELLO" + kCursor);
    f.tap(kEnter);
    EXPECT_EQ(f.line(3), ">HELLO") << f.screenDump();
    EXPECT_EQ(f.line(4), "?SN ERROR");
    EXPECT_EQ(f.line(5), "READY");
    EXPECT_EQ(f.line(6), ">" + kCursor);
    // The line went into the input buffer; BASIC tokenised it there, ending it with 00h.
    EXPECT_EQ(f.text(0x41E8, 6), std::string("HELLO\0", 6));

    // An empty line and a line of blanks only prompt again.
    f.tap(kEnter);
    EXPECT_EQ(f.line(6), ">");
    f.type("  \r");
    EXPECT_EQ(f.line(7), ">") << f.screenDump();
    EXPECT_EQ(f.screenAt(8, 0), '>');
    EXPECT_EQ(f.line(9), "");

    // Shifted digits and the shifted row-5 keys, lower case with SHIFT.
    f.type("!\"#$%&'()*+<=>?a@z:;,-./89`");
    EXPECT_EQ(f.line(8), ">!\"#$%&'()*+<=>?a@z:;,-./89`" + kCursor) << f.screenDump();
    // BREAK abandons the line without an error.
    f.tap(kBreak);
    EXPECT_EQ(f.line(8), ">!\"#$%&'()*+<=>?a@z:;,-./89`");
    EXPECT_EQ(f.line(9), ">" + kCursor);
    // LEFT rubs out, and on an empty line does nothing to the prompt; CLEAR empties the line.
    f.type("AB");
    f.tap(kLeft);
    f.type("C");
    EXPECT_EQ(f.line(9), ">AC" + kCursor);
    for (int i = 0; i < 3; ++i) f.tap(kLeft);
    EXPECT_EQ(f.line(9), ">" + kCursor);
    f.type("XYZ");
    f.tap(kClear);
    EXPECT_EQ(f.line(9), ">" + kCursor);
    f.type("Q\r");
    EXPECT_EQ(f.text(0x41E8, 2), std::string("Q\0", 2));  // tokenised in place
    EXPECT_EQ(f.line(10), "?SN ERROR");
}

TEST(OpenFirmwareTest, KeyScanAt002BReportsANewKeyOnceAndZeroOtherwise) {
    Booted f;
    // CALL 002Bh; LD (6100h),A; CALL 002Bh; LD (6101h),A; HALT
    f.poke(0x6000, {0xCD, 0x2B, 0x00, 0x32, 0x00, 0x61, 0xCD, 0x2B, 0x00, 0x32, 0x01, 0x61, 0x76});
    struct Case {
        Key key;
        uint8_t expected;
    };
    const Case cases[] = {
        {{0, 7}, 'G'},          {{0, 7, true}, 'g'},    {{3, 2}, 'Z'},       {{0, 0}, '@'},
        {{4, 0}, '0'},          {{4, 5, true}, '%'},    {{5, 4}, ','},       {{5, 7, true}, '?'},
        {kEnter, 0x0D},         {kClear, 0x1F},         {kBreak, 0x01},      {{6, 3}, 0x5B},
        {{6, 4}, 0x0A},         {kLeft, 0x08},          {{6, 6}, 0x09},      {{6, 7}, 0x20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.key.row << " bit " << c.key.bit << " shift " << c.key.shift);
        f.keys().releaseAll();
        f.poke(0x6100, {0xEE, 0xEE});
        f.runProgram(0x6000, 0x600C);  // no key: the image forgets the last one
        EXPECT_EQ(f.peek(0x6100), 0);
        EXPECT_EQ(f.peek(0x6101), 0);
        if (c.key.shift) f.keys().press(7, 0);
        f.keys().press(c.key.row, c.key.bit);
        f.poke(0x6100, {0xEE, 0xEE});
        f.runProgram(0x6000, 0x600C);
        EXPECT_EQ(f.peek(0x6100), c.expected);
        EXPECT_EQ(f.peek(0x6101), 0) << "a held key is reported once";
    }
    // A SHIFT alone and the three places of row 3 without a key give nothing.
    f.keys().releaseAll();
    f.runProgram(0x6000, 0x600C);
    f.keys().press(7, 0);
    f.keys().rows[3] = 0xF8;
    f.poke(0x6100, {0xEE, 0xEE});
    f.runProgram(0x6000, 0x600C);
    EXPECT_EQ(f.peek(0x6100), 0);
    EXPECT_EQ(f.peek(0x6101), 0);
}

TEST(OpenFirmwareTest, RolloverImageFollowsHeldKeysAndTwoKeysBothArrive) {
    Booted f;
    // A and 1 go down together, as a scan starts (pressed within one, the
    // later row would be seen first), and stay down for a while.
    for (int i = 0; i < 100000 && inside(*f.m).cpu.PC != f.word(0x4016); ++i) f.m->stepInstruction();
    f.keys().press(0, 1);
    f.keys().press(4, 1);
    f.run(20);
    EXPECT_EQ(f.peek(0x4036), 0x02);  // row 0: A
    EXPECT_EQ(f.peek(0x403A), 0x02);  // row 4: 1
    for (uint16_t a : {0x4037, 0x4038, 0x4039, 0x403B, 0x403C}) EXPECT_EQ(f.peek(a), 0) << a;
    // Each once, in scan order, however long they are held.
    EXPECT_EQ(f.line(3), ">A1" + kCursor);
    f.keys().release(0, 1);
    f.run(2);
    EXPECT_EQ(f.peek(0x4036), 0x00);
    EXPECT_EQ(f.peek(0x403A), 0x02);
    f.keys().releaseAll();
    f.run(2);
    EXPECT_EQ(f.peek(0x403A), 0x00);
    // Pressed again after the release, it counts again.
    f.type("A");
    EXPECT_EQ(f.line(3), ">A1A" + kCursor);
}

TEST(OpenFirmwareTest, LineInputAt0040StopsAtTheLimitAndReportsBreak) {
    Booted f;
    // LD HL,6000h; LD B,5; CALL 0040h; LD A,B; LD (6100h),A; SBC A,A;
    // LD (6101h),A; LD (6102h),HL; HALT
    f.poke(0x5F00, {0x21, 0x00, 0x60, 0x06, 0x05, 0xCD, 0x40, 0x00, 0x78, 0x32, 0x00, 0x61, 0x9F,
                    0x32, 0x01, 0x61, 0x22, 0x02, 0x61, 0x76});
    f.cpu().PC = 0x5F00;
    f.cpu().SP = 0x7000;
    f.type("ABCDEFG");
    f.tap(kEnter);
    EXPECT_EQ(f.cpu().PC, 0x5F13);
    EXPECT_EQ(f.peek(0x6100), 5);     // B = length
    EXPECT_EQ(f.peek(0x6101), 0x00);  // no carry: ENTER
    EXPECT_EQ(f.word(0x6102), 0x6000);
    EXPECT_EQ(f.text(0x6000, 6), "ABCDE\r");
    EXPECT_EQ(f.line(3), ">ABCDE") << f.screenDump();
    EXPECT_EQ(f.cursor(), kScreen + 4 * 64);  // ENTER moved to a new line
    EXPECT_EQ(f.screenAt(4, 0), ' ');         // and the cursor is hidden again

    f.cpu().PC = 0x5F00;
    f.type("XY");
    f.tap(kBreak);
    EXPECT_EQ(f.cpu().PC, 0x5F13);
    EXPECT_EQ(f.peek(0x6100), 2);
    EXPECT_EQ(f.peek(0x6101), 0xFF);  // carry: BREAK
    EXPECT_EQ(f.text(0x6000, 3), "XY\r");
}

TEST(OpenFirmwareTest, DisplayAt0033KeepsTheRegistersAndScrollsPastTheBottom) {
    Booted f;
    // LD BC,1122h; LD DE,3344h; LD HL,5566h; LD IX,7788h; LD IY,99AAh;
    // LD A,'Q'; CALL 0033h; LD (6100h),BC; LD (6102h),DE; LD (6104h),HL;
    // LD (6106h),IX; LD (6108h),IY; LD (610Ah),A; HALT
    f.poke(0x6000, {0x01, 0x22, 0x11, 0x11, 0x44, 0x33, 0x21, 0x66, 0x55, 0xDD, 0x21, 0x88, 0x77,
                    0xFD, 0x21, 0xAA, 0x99, 0x3E, 'Q', 0xCD, 0x33, 0x00, 0xED, 0x43, 0x00, 0x61,
                    0xED, 0x53, 0x02, 0x61, 0x22, 0x04, 0x61, 0xDD, 0x22, 0x06, 0x61, 0xFD, 0x22,
                    0x08, 0x61, 0x32, 0x0A, 0x61, 0x76});
    f.runProgram(0x6000, 0x602C);
    // BC, DE, HL, IX, IY and A as they were.
    EXPECT_EQ(f.text(0x6100, 11), "\x22\x11\x44\x33\x66\x55\x88\x77\xAA\x99Q");
    // The cursor was on at the prompt: the Q took its place and it moved on.
    EXPECT_EQ(f.line(3), ">Q" + kCursor);

    // LD A,0Fh; CALL 0033h (cursor off); CALL 01C9h; LD B,20; LD C,'A';
    // loop: LD A,C; CALL 0033h; LD A,0Dh; CALL 0033h; INC C; DJNZ loop; HALT
    f.poke(0x6200, {0x3E, 0x0F, 0xCD, 0x33, 0x00, 0xCD, 0xC9, 0x01, 0x06, 20, 0x0E, 'A', 0x79, 0xCD,
                    0x33, 0x00, 0x3E, 0x0D, 0xCD, 0x33, 0x00, 0x0C, 0x10, 0xF4, 0x76});
    f.runProgram(0x6200, 0x6218, 10);  // each scroll moves 960 bytes
    // Twenty lines on a sixteen-line screen: A-E scrolled away, the cursor
    // waits on the blank last line.
    for (int r = 0; r < 15; ++r) EXPECT_EQ(f.line(r), std::string(1, static_cast<char>('F' + r))) << f.screenDump();
    EXPECT_EQ(f.line(15), "");
    EXPECT_EQ(f.cursor(), 0x3FC0);
}

TEST(OpenFirmwareTest, ControlCharactersMoveAndEraseAsDocumented) {
    Booted f;
    // Text at 6300h shown with 28A7h, then HALT.
    auto show = [&f](const std::vector<uint8_t>& text) {
        uint16_t a = 0x6300;
        for (uint8_t b : text) f.poke(a++, {b});
        f.poke(a, {0x00});
        f.poke(0x6000, {0x21, 0x00, 0x63, 0xCD, 0xA7, 0x28, 0x22, 0x00, 0x61, 0x76});
        f.runProgram(0x6000, 0x6009);
        EXPECT_EQ(f.word(0x6100), 0x6300) << "28A7h keeps HL";
    };
    show({0x0F, 0x1C, 0x1F});  // cursor off, home, erase to the end: a clear screen
    for (int r = 0; r < 16; ++r) EXPECT_EQ(f.line(r), "") << r;
    EXPECT_EQ(f.cursor(), kScreen);
    show({0x08});  // backspace at the first place stays there
    EXPECT_EQ(f.cursor(), kScreen);
    show({'A', 'B', 'C', 'D', 0x08});
    EXPECT_EQ(f.line(0), "ABC");
    EXPECT_EQ(f.cursor(), kScreen + 3);
    // 0Dh is a new line and ends the text: the rest is not shown.
    show({'E', 0x0D, 'F'});
    EXPECT_EQ(f.line(0), "ABCE");
    EXPECT_EQ(f.line(1), "");
    EXPECT_EQ(f.cursor(), kScreen + 64);
    show({'G', 'H', 'I', 'J', 0x1D, 'K', 0x19, 0x19, 0x18, 0x1E});  // line start, right, left, erase line
    EXPECT_EQ(f.line(1), "KH");
    EXPECT_EQ(f.cursor(), kScreen + 64 + 2);
    show({0x1B, 0x1B, 'U', 0x1A, 0x1A, 'D'});  // up stops at the top line, then down twice
    EXPECT_EQ(f.line(0), "ABUE");
    EXPECT_EQ(f.line(2), "   D");
    // Graphics and lower case are stored as they are.
    show({0x1C, 0x80, 0xBF, 'a', 0x7F});
    EXPECT_EQ(f.screenAt(0, 0), 0x80);
    EXPECT_EQ(f.screenAt(0, 1), 0xBF);
    EXPECT_EQ(f.screenAt(0, 2), 'a');
    EXPECT_EQ(f.screenAt(0, 3), 0x7F);
    // The last place of the screen: the next character scrolls.
    std::vector<uint8_t> toLastLine(16, 0x1A);  // home, fifteen times down, line start
    toLastLine.front() = 0x1C;
    toLastLine.push_back(0x1D);
    show(toLastLine);
    EXPECT_EQ(f.cursor(), 0x3FC0);
    show({0x1E, 0x19});
    for (int i = 0; i < 62; ++i) show({0x19});
    EXPECT_EQ(f.cursor(), 0x3FFF);
    const std::string top = f.line(1);
    show({'Z', 'Y'});
    EXPECT_EQ(f.line(0), top);
    EXPECT_EQ(f.screenAt(14, 63), 'Z');
    EXPECT_EQ(f.line(15), "Y");
    EXPECT_EQ(f.cursor(), 0x3FC1);
}

TEST(OpenFirmwareTest, ResetKeyReturnsToReadyWithRamKept) {
    Booted f;
    f.poke(0x5000, {0xDE, 0xAD, 0xBE, 0xEF});
    f.type("ABC");
    f.pressReset(3);  // in the middle of waiting for a key
    EXPECT_EQ(f.line(3), ">ABC") << f.screenDump();  // the cursor block is gone
    EXPECT_EQ(f.line(4), "READY");
    EXPECT_EQ(f.line(5), ">" + kCursor);
    EXPECT_EQ(f.text(0x5000, 4), "\xDE\xAD\xBE\xEF");
    EXPECT_EQ(f.cpu().IFF1, 0);
    // The command loop goes on as before.
    f.type("X");
    f.tap(kEnter);
    EXPECT_EQ(f.line(5), ">X");
    EXPECT_EQ(f.line(6), "?SN ERROR");
    EXPECT_EQ(f.line(7), "READY");

    // From a runaway program with a wild stack too.
    f.poke(0x6000, {0x31, 0x00, 0x00, 0x18, 0xFE});  // LD SP,0; JR $
    f.cpu().PC = 0x6000;
    f.run(2);
    f.pressReset(3);
    EXPECT_EQ(f.line(9), "READY") << f.screenDump();
    EXPECT_EQ(f.screenAt(10, 0), '>');
    EXPECT_EQ(f.peek(0x5000), 0xDE);

    // A program that wrote over the string space pointer leaves nothing to
    // return to: the reset key starts afresh.
    f.poke(0x40A0, {0x00, 0x43});
    f.cpu().PC = 0x6000;
    f.run(2);
    f.pressReset(5);
    EXPECT_EQ(f.line(0).substr(0, 13), "MEMORY SIZE? ");
    f.tap(kEnter);
    f.run(5);
    EXPECT_EQ(f.line(0), "KESTREL OPEN FIRMWARE") << f.screenDump();
    EXPECT_EQ(f.line(2), "READY");
    EXPECT_EQ(f.word(0x40A0), 0xFFFF - 49);
}

TEST(OpenFirmwareTest, RestartsCompareStepThroughTextCheckTellTheTypeAndAcknowledgeTheDisk) {
    Booted f;
    // LD HL,1234h; LD DE,1235h; RST 18h; PUSH AF; LD DE,1234h; RST 18h; PUSH AF;
    // LD DE,1134h; RST 18h; PUSH AF; LD (6100h),SP; HALT
    f.poke(0x6000, {0x21, 0x34, 0x12, 0x11, 0x35, 0x12, 0xDF, 0xF5, 0x11, 0x34, 0x12, 0xDF, 0xF5,
                    0x11, 0x34, 0x11, 0xDF, 0xF5, 0xED, 0x73, 0x00, 0x61, 0x76});
    f.runProgram(0x6000, 0x6016);
    ASSERT_EQ(f.word(0x6100), 0x7000 - 6);
    // Z and C of each comparison, pushed in turn: less, equal, greater.
    for (auto [n, zc] : {std::pair<int, int>{1, FLAG_C}, {2, FLAG_Z}, {3, 0}})
        EXPECT_EQ(f.peek(static_cast<uint16_t>(0x7000 - 2 * n)) & (FLAG_Z | FLAG_C), zc) << n;

    // Text "A 7:" at 6200h; HL = 6200h - 1; four RST 10h, each pushing AF
    // and storing HL.
    f.poke(0x6200, {'A', ' ', ' ', '7', ':', 0x00});
    f.poke(0x6000, {0x21, 0xFF, 0x61, 0xD7, 0xF5, 0xD7, 0xF5, 0xD7, 0xF5, 0xD7, 0xF5, 0x22, 0x00,
                    0x61, 0x76});
    f.runProgram(0x6000, 0x600E);
    EXPECT_EQ(f.word(0x6100), 0x6205);  // the spaces were skipped
    // A and the Z and C flags pushed by each: C for a digit, Z at the end of a
    // statement or line.
    const std::pair<int, int> pushed[] = {{'A', 0}, {'7', FLAG_C}, {':', FLAG_Z}, {0x00, FLAG_Z}};
    for (int n = 0; n < 4; ++n) {
        const uint16_t af = f.word(static_cast<uint16_t>(0x7000 - 2 * (n + 1)));
        EXPECT_EQ(std::pair(af >> 8, af & (FLAG_Z | FLAG_C)), pushed[n]) << n;
    }

    // Text "( B" at 6200h. LD HL,6200h; RST 08h; DB '('; LD (6100h),HL;
    // LD (6102h),A; HALT
    f.poke(0x6200, {'(', ' ', 'B', 0x00});
    f.poke(0x6000, {0x21, 0x00, 0x62, 0xCF, '(', 0x22, 0x00, 0x61, 0x32, 0x02, 0x61, 0x76});
    f.runProgram(0x6000, 0x600B);
    EXPECT_EQ(f.word(0x6100), 0x6202);  // past the '(' and the blank
    EXPECT_EQ(f.peek(0x6102), 'B');

    // For each type: LD A,type; LD (40AFh),A; RST 20h; PUSH AF; HALT
    struct Case {
        uint8_t type;
        uint8_t set, clear;
    };
    const Case cases[] = {
        {2, FLAG_S | FLAG_C, FLAG_Z},               // integer: minus
        {3, FLAG_Z | FLAG_C, FLAG_S},               // string: zero
        {4, FLAG_C, FLAG_S | FLAG_Z | FLAG_PV},     // single: parity odd
        {8, FLAG_PV, FLAG_C | FLAG_S | FLAG_Z},     // double: no carry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        f.poke(0x6000, {0x3E, c.type, 0x32, 0xAF, 0x40, 0xE7, 0xF5, 0x76});
        f.runProgram(0x6000, 0x6007);
        const uint8_t flags = f.peek(0x7000 - 2);
        EXPECT_EQ(flags & c.set, c.set);
        EXPECT_EQ(flags & c.clear, 0);
    }

    // A different character is a syntax error, reported at the command level.
    f.poke(0x6000, {0x21, 0x00, 0x62, 0xCF, ')', 0x76});
    f.cpu().PC = 0x6000;
    f.run(2);
    EXPECT_EQ(f.line(4), "?SN ERROR") << f.screenDump();
    EXPECT_EQ(f.line(5), "READY");
    EXPECT_EQ(f.screenAt(6, 0), '>');

    // IM 1; EI; LD A,55h; LD (6100h),A; HALT: the pending disk interrupt is
    // taken after the instruction that follows EI and must come back here.
    f.poke(0x6000, {0xED, 0x56, 0xFB, 0x3E, 0x55, 0x32, 0x00, 0x61, 0x76});
    inside(*f.m).fdc.driveSelect = 1;
    inside(*f.m).fdc.interruptPending = true;
    f.cpu().intLine = 1;
    f.runProgram(0x6000, 0x6008);
    EXPECT_EQ(f.peek(0x6100), 0x55);
    EXPECT_EQ(f.cpu().intLine, 0u);
    EXPECT_FALSE(inside(*f.m).fdc.interruptPending);
    EXPECT_EQ(f.cpu().IFF1, 1);
}

TEST(OpenFirmwareTest, DeviceCallsReachTheDriverOfTheControlBlock) {
    Booted f;
    // A control block at 6300h whose driver (6400h) records what it was
    // given and answers 'R':
    //   LD (6500h),IX; LD A,C; LD (6502h),A; LD A,B; LD (6503h),A;
    //   LD HL,0; LD DE,0; LD BC,0; LD A,'R'; RET
    f.poke(0x6300, {0x03, 0x00, 0x64, 0, 0, 0, 'T', 'T'});
    f.poke(0x6400, {0xDD, 0x22, 0x00, 0x65, 0x79, 0x32, 0x02, 0x65, 0x78, 0x32, 0x03, 0x65, 0x21, 0x00,
                    0x00, 0x11, 0x00, 0x00, 0x01, 0x00, 0x00, 0x3E, 'R', 0xC9});
    // LD BC,1234h; LD DE,6300h; LD HL,5678h; LD A,'W'; CALL 001Bh;
    // LD (6510h),A; LD (6512h),BC; LD (6514),DE; LD (6516h),HL; HALT
    f.poke(0x6000, {0x01, 0x34, 0x12, 0x11, 0x00, 0x63, 0x21, 0x78, 0x56, 0x3E, 'W', 0xCD, 0x1B, 0x00,
                    0x32, 0x10, 0x65, 0xED, 0x43, 0x12, 0x65, 0xED, 0x53, 0x14, 0x65, 0x22, 0x16, 0x65,
                    0x76});
    f.runProgram(0x6000, 0x601C);
    EXPECT_EQ(f.word(0x6500), 0x6300);  // IX = the control block
    EXPECT_EQ(f.peek(0x6502), 'W');     // C = the byte to output
    EXPECT_EQ(f.peek(0x6503), 2);       // B = 2: output
    EXPECT_EQ(f.peek(0x6510), 'R');     // A as the driver left it
    EXPECT_EQ(f.word(0x6512), 0x1234);
    EXPECT_EQ(f.word(0x6514), 0x6300);
    EXPECT_EQ(f.word(0x6516), 0x5678);

    // The same block through 0013h: B = 1.
    f.poke(0x600C, {0x13});
    f.runProgram(0x6000, 0x601C);
    EXPECT_EQ(f.peek(0x6503), 1);
    EXPECT_EQ(f.peek(0x6510), 'R');
    EXPECT_EQ(f.word(0x6512), 0x1234);

    // A program that patches the keyboard driver at 4016h is heard by 0049h:
    // LD HL,6400h; LD (4016h),HL; CALL 0049h; LD (6510h),A; HALT
    f.poke(0x6100, {0x21, 0x00, 0x64, 0x22, 0x16, 0x40, 0xCD, 0x49, 0x00, 0x32, 0x10, 0x65, 0x76});
    f.poke(0x6510, {0});
    f.runProgram(0x6100, 0x610C);
    EXPECT_EQ(f.peek(0x6510), 'R');
    EXPECT_EQ(f.word(0x6500), 0x4015);
}

TEST(OpenFirmwareTest, PrinterAt003BWaitsForEitherMachineKindsPrinter) {
    test::ScratchDir dir;
    for (int config : {0, 3}) {
        SCOPED_TRACE(config);
        Firmware f({0xFFFF, config, false});
        f.boot();
        // LD DE,1234h; LD A,'P'; CALL 003Bh; LD (6100h),DE; LD (6102h),A; HALT
        f.poke(0x6000, {0x11, 0x34, 0x12, 0x3E, 'P', 0xCD, 0x3B, 0x00, 0xED, 0x53, 0x00, 0x61, 0x32, 0x02,
                        0x61, 0x76});
        // Off line it waits; BREAK gives up the byte.
        f.cpu().PC = 0x6000;
        f.cpu().SP = 0x7000;
        f.run(3);
        EXPECT_NE(f.cpu().PC, 0x600F);
        f.tap(kBreak);
        EXPECT_EQ(f.cpu().PC, 0x600F);

        ASSERT_TRUE(f.m->openPrinter(dir.file("printer" + std::to_string(config))));
        f.runProgram(0x6000, 0x600F);
        EXPECT_EQ(inside(*f.m).printer.contents(), std::vector<uint8_t>{'P'});
        EXPECT_EQ(f.word(0x6100), 0x1234);
        EXPECT_EQ(f.peek(0x6102), 'P');
    }
}

}  // namespace
}  // namespace kestrel
