// The Z80 execution loop and its four opcode pages. A template over the bus so the
// memory accesses inline into the dispatch; include this only where z80Execute is
// instantiated (the machine, the tests, the benchmark).
#pragma once

#include <cstdint>

#include "z80/z80.h"

#if defined(__GNUC__)
#define KESTREL_ALWAYS_INLINE inline __attribute__((always_inline))
#define KESTREL_LIKELY(x) __builtin_expect(!!(x), 1)
#define KESTREL_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#define KESTREL_ALWAYS_INLINE inline
#define KESTREL_LIKELY(x) (x)
#define KESTREL_UNLIKELY(x) (x)
#endif

namespace kestrel {
namespace z80detail {

// Index into the add/sub flag tables for bits 3 (low three bits of the result)
// and 7 (bits 4-6).
KESTREL_ALWAYS_INLINE unsigned flagLookup(unsigned a, unsigned b, unsigned r) {
    return ((a & 0x88) >> 1) | ((b & 0x88) >> 2) | ((r & 0x88) >> 3);
}

template <class Bus>
class Core {
public:
    Core(Z80& cpu, Bus& bus) : c(cpu), bus(bus) {}

    // One whole instruction starting with the opcode already fetched; returns
    // its T-states.
    KESTREL_ALWAYS_INLINE int executeMain(uint8_t op);
    KESTREL_ALWAYS_INLINE void interruptTest(uint8_t op);

    int executeCbPage();
    int executeEdPage();
    int executeIndexPage(uint16_t& xr);

private:
    Z80& c;
    Bus& bus;

    KESTREL_ALWAYS_INLINE uint8_t rd(uint16_t a) { return bus.memRead(a); }
    KESTREL_ALWAYS_INLINE void wr(uint16_t a, uint8_t v) { bus.memWrite(a, v); }
    KESTREL_ALWAYS_INLINE uint16_t rd16(uint16_t a) {
        uint8_t lo = rd(a);
        return static_cast<uint16_t>(lo | rd(static_cast<uint16_t>(a + 1)) << 8);
    }
    KESTREL_ALWAYS_INLINE void wr16(uint16_t a, uint16_t v) {
        wr(a, static_cast<uint8_t>(v));
        wr(static_cast<uint16_t>(a + 1), static_cast<uint8_t>(v >> 8));
    }
    KESTREL_ALWAYS_INLINE uint8_t fetch8() { return rd(c.PC++); }
    KESTREL_ALWAYS_INLINE uint16_t fetch16() {
        uint16_t v = rd16(c.PC);
        c.PC = static_cast<uint16_t>(c.PC + 2);
        return v;
    }
    KESTREL_ALWAYS_INLINE uint16_t fetchDisplaced(uint16_t base) {
        return static_cast<uint16_t>(base + static_cast<int8_t>(fetch8()));
    }
    KESTREL_ALWAYS_INLINE void push(uint16_t v) {
        c.SP = static_cast<uint16_t>(c.SP - 2);
        wr16(c.SP, v);
    }
    KESTREL_ALWAYS_INLINE uint16_t pop() {
        uint16_t v = rd16(c.SP);
        c.SP = static_cast<uint16_t>(c.SP + 2);
        return v;
    }

    // --- 8-bit arithmetic and logic -------------------------------------------------
    KESTREL_ALWAYS_INLINE void add8(uint8_t b, unsigned carry) {
        unsigned a = c.A;
        uint8_t r = static_cast<uint8_t>(a + b + carry);
        unsigned i = flagLookup(a, b, r);
        c.F = static_cast<uint8_t>(addFlagTables[1][i >> 4] | addFlagTables[0][i & 7] |
                                   (r & (FLAG_5 | FLAG_3)) | (r ? 0 : FLAG_Z));
        c.A = r;
    }
    // Subtraction with its flags; CP takes bits 5 and 3 from the operand instead.
    template <bool compare>
    KESTREL_ALWAYS_INLINE uint8_t subtract(uint8_t b, unsigned carry) {
        unsigned a = c.A;
        uint8_t r = static_cast<uint8_t>(a - b - carry);
        unsigned i = flagLookup(a, b, r);
        c.F = static_cast<uint8_t>(subFlagTables[1][i >> 4] | subFlagTables[0][i & 7] |
                                   ((compare ? b : r) & (FLAG_5 | FLAG_3)) | (r ? 0 : FLAG_Z) | FLAG_N);
        return r;
    }
    KESTREL_ALWAYS_INLINE void sub8(uint8_t b, unsigned carry) { c.A = subtract<false>(b, carry); }
    KESTREL_ALWAYS_INLINE void cp8(uint8_t b) { subtract<true>(b, 0); }
    KESTREL_ALWAYS_INLINE void and8(uint8_t b) {
        c.A &= b;
        c.F = static_cast<uint8_t>(sz53pTable[c.A] | FLAG_H);
    }
    KESTREL_ALWAYS_INLINE void xor8(uint8_t b) {
        c.A ^= b;
        c.F = sz53pTable[c.A];
    }
    KESTREL_ALWAYS_INLINE void or8(uint8_t b) {
        c.A |= b;
        c.F = sz53pTable[c.A];
    }
    // The eight ALU operations in opcode order (bits 3-5 of 80-BF).
    KESTREL_ALWAYS_INLINE void alu(unsigned which, uint8_t b) {
        switch (which & 7) {
            case 0: add8(b, 0); break;
            case 1: add8(b, c.F & FLAG_C); break;
            case 2: sub8(b, 0); break;
            case 3: sub8(b, c.F & FLAG_C); break;
            case 4: and8(b); break;
            case 5: xor8(b); break;
            case 6: or8(b); break;
            default: cp8(b); break;
        }
    }
    KESTREL_ALWAYS_INLINE uint8_t inc8(uint8_t v) {
        uint8_t r = static_cast<uint8_t>(v + 1);
        c.F = static_cast<uint8_t>((c.F & FLAG_C) | sz53Table[r] | ((r & 0x0F) ? 0 : FLAG_H) |
                                   (r == 0x80 ? FLAG_PV : 0));
        return r;
    }
    KESTREL_ALWAYS_INLINE uint8_t dec8(uint8_t v) {
        uint8_t r = static_cast<uint8_t>(v - 1);
        c.F = static_cast<uint8_t>((c.F & FLAG_C) | FLAG_N | sz53Table[r] |
                                   ((r & 0x0F) == 0x0F ? FLAG_H : 0) | (r == 0x7F ? FLAG_PV : 0));
        return r;
    }

    // --- 16-bit arithmetic ----------------------------------------------------------
    KESTREL_ALWAYS_INLINE uint16_t add16(uint16_t a, uint16_t b) {
        unsigned r = static_cast<unsigned>(a) + b;
        unsigned i = flagLookup(a >> 8, b >> 8, r >> 8);
        c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | addFlagTables[0][i & 7] |
                                   ((r >> 16) & FLAG_C) | ((r >> 8) & (FLAG_5 | FLAG_3)));
        return static_cast<uint16_t>(r);
    }
    KESTREL_ALWAYS_INLINE void adc16(uint16_t b) {
        unsigned a = c.HL;
        uint16_t r = static_cast<uint16_t>(a + b + (c.F & FLAG_C));
        unsigned i = flagLookup(a >> 8, b >> 8, r >> 8);
        c.F = static_cast<uint8_t>(addFlagTables[1][i >> 4] | addFlagTables[0][i & 7] |
                                   ((r >> 8) & (FLAG_5 | FLAG_3)) | (r ? 0 : FLAG_Z));
        c.HL = r;
    }
    KESTREL_ALWAYS_INLINE void sbc16(uint16_t b) {
        unsigned a = c.HL;
        uint16_t r = static_cast<uint16_t>(a - b - (c.F & FLAG_C));
        unsigned i = flagLookup(a >> 8, b >> 8, r >> 8);
        c.F = static_cast<uint8_t>(subFlagTables[1][i >> 4] | subFlagTables[0][i & 7] |
                                   ((r >> 8) & (FLAG_5 | FLAG_3)) | (r ? 0 : FLAG_Z) | FLAG_N);
        c.HL = r;
    }

    // --- rotates and shifts of the CB page, with their flags -----------------------
    KESTREL_ALWAYS_INLINE uint8_t shiftOp(unsigned which, uint8_t v) {
        uint8_t r;
        uint8_t carry;
        switch (which & 7) {
            case 0: r = static_cast<uint8_t>(v << 1 | v >> 7); carry = v >> 7; break;          // RLC
            case 1: r = static_cast<uint8_t>(v >> 1 | v << 7); carry = v & 1; break;           // RRC
            case 2: r = static_cast<uint8_t>(v << 1 | (c.F & FLAG_C)); carry = v >> 7; break;  // RL
            case 3: r = static_cast<uint8_t>(v >> 1 | (c.F & FLAG_C) << 7); carry = v & 1; break;  // RR
            case 4: r = static_cast<uint8_t>(v << 1); carry = v >> 7; break;                   // SLA
            case 5: r = static_cast<uint8_t>(v >> 1 | (v & 0x80)); carry = v & 1; break;       // SRA
            case 6: r = static_cast<uint8_t>(v << 1 | 1); carry = v >> 7; break;               // SLL
            default: r = static_cast<uint8_t>(v >> 1); carry = v & 1; break;                   // SRL
        }
        c.F = static_cast<uint8_t>(sz53pTable[r] | carry);
        return r;
    }
    KESTREL_ALWAYS_INLINE void bitTest(unsigned bit, uint8_t v, uint8_t bits53) {
        uint8_t set = static_cast<uint8_t>(v & (1u << bit));
        c.F = static_cast<uint8_t>((c.F & FLAG_C) | FLAG_H | (bits53 & (FLAG_5 | FLAG_3)) |
                                   (set ? (set & FLAG_S) : (FLAG_Z | FLAG_PV)));
    }

    // Registers by their 3-bit code; 6 ((HL)) is handled by the callers.
    KESTREL_ALWAYS_INLINE uint8_t getReg(unsigned code) {
        switch (code & 7) {
            case 0: return c.B;
            case 1: return c.C;
            case 2: return c.D;
            case 3: return c.E;
            case 4: return c.H;
            case 5: return c.L;
            case 7: return c.A;
            default: return 0;
        }
    }
    KESTREL_ALWAYS_INLINE void setReg(unsigned code, uint8_t v) {
        switch (code & 7) {
            case 0: c.B = v; break;
            case 1: c.C = v; break;
            case 2: c.D = v; break;
            case 3: c.E = v; break;
            case 4: c.H = v; break;
            case 5: c.L = v; break;
            case 7: c.A = v; break;
            default: break;
        }
    }

    KESTREL_ALWAYS_INLINE void stepR() { c.R = static_cast<uint8_t>((c.R & 0x80) | ((c.R + 1) & 0x7F)); }

    KESTREL_ALWAYS_INLINE bool condition(unsigned code) {
        switch (code & 7) {
            case 0: return !(c.F & FLAG_Z);
            case 1: return c.F & FLAG_Z;
            case 2: return !(c.F & FLAG_C);
            case 3: return c.F & FLAG_C;
            case 4: return !(c.F & FLAG_PV);
            case 5: return c.F & FLAG_PV;
            case 6: return !(c.F & FLAG_S);
            default: return c.F & FLAG_S;
        }
    }

    void daa();
    void ldBlock(int step);
    void cpBlockFlags(uint8_t v);
    int ioBlockStep(uint8_t nn);

public:
    KESTREL_ALWAYS_INLINE uint8_t fetchOpcode() {
        uint8_t op = rd(c.PC++);
        stepR();
        return op;
    }
};

// 40-7F register rows and 80-BF ALU rows, written out so each case is a direct
// field access.
#define KESTREL_LD_ROW(base, dst)                              \
    case base + 0: dst = c.B; return 4;                        \
    case base + 1: dst = c.C; return 4;                        \
    case base + 2: dst = c.D; return 4;                        \
    case base + 3: dst = c.E; return 4;                        \
    case base + 4: dst = c.H; return 4;                        \
    case base + 5: dst = c.L; return 4;                        \
    case base + 6: dst = rd(c.HL); return 7;                   \
    case base + 7: dst = c.A; return 4;

#define KESTREL_ALU_ROW(base, fn)                              \
    case base + 0: fn(c.B); return 4;                          \
    case base + 1: fn(c.C); return 4;                          \
    case base + 2: fn(c.D); return 4;                          \
    case base + 3: fn(c.E); return 4;                          \
    case base + 4: fn(c.H); return 4;                          \
    case base + 5: fn(c.L); return 4;                          \
    case base + 6: fn(rd(c.HL)); return 7;                     \
    case base + 7: fn(c.A); return 4;

template <class Bus>
KESTREL_ALWAYS_INLINE int Core<Bus>::executeMain(uint8_t op) {
#define ADD_(v) add8(v, 0)
#define ADC_(v) add8(v, c.F & FLAG_C)
#define SUB_(v) sub8(v, 0)
#define SBC_(v) sub8(v, c.F & FLAG_C)
    switch (op) {
        case 0x00: return 4;
        case 0x01: c.BC = fetch16(); return 10;
        case 0x11: c.DE = fetch16(); return 10;
        case 0x21: c.HL = fetch16(); return 10;
        case 0x31: c.SP = fetch16(); return 10;
        case 0x02: wr(c.BC, c.A); return 7;
        case 0x12: wr(c.DE, c.A); return 7;
        case 0x0A: c.A = rd(c.BC); return 7;
        case 0x1A: c.A = rd(c.DE); return 7;
        case 0x03: ++c.BC; return 6;
        case 0x13: ++c.DE; return 6;
        case 0x23: ++c.HL; return 6;
        case 0x33: ++c.SP; return 6;
        case 0x0B: --c.BC; return 6;
        case 0x1B: --c.DE; return 6;
        case 0x2B: --c.HL; return 6;
        case 0x3B: --c.SP; return 6;
        case 0x04: c.B = inc8(c.B); return 4;
        case 0x0C: c.C = inc8(c.C); return 4;
        case 0x14: c.D = inc8(c.D); return 4;
        case 0x1C: c.E = inc8(c.E); return 4;
        case 0x24: c.H = inc8(c.H); return 4;
        case 0x2C: c.L = inc8(c.L); return 4;
        case 0x3C: c.A = inc8(c.A); return 4;
        case 0x34: { uint16_t a = c.HL; wr(a, inc8(rd(a))); return 11; }
        case 0x05: c.B = dec8(c.B); return 4;
        case 0x0D: c.C = dec8(c.C); return 4;
        case 0x15: c.D = dec8(c.D); return 4;
        case 0x1D: c.E = dec8(c.E); return 4;
        case 0x25: c.H = dec8(c.H); return 4;
        case 0x2D: c.L = dec8(c.L); return 4;
        case 0x3D: c.A = dec8(c.A); return 4;
        case 0x35: { uint16_t a = c.HL; wr(a, dec8(rd(a))); return 11; }
        case 0x06: c.B = fetch8(); return 7;
        case 0x0E: c.C = fetch8(); return 7;
        case 0x16: c.D = fetch8(); return 7;
        case 0x1E: c.E = fetch8(); return 7;
        case 0x26: c.H = fetch8(); return 7;
        case 0x2E: c.L = fetch8(); return 7;
        case 0x3E: c.A = fetch8(); return 7;
        case 0x36: { uint8_t n = fetch8(); wr(c.HL, n); return 10; }
        case 0x07: {
            uint8_t a = c.A;
            c.A = static_cast<uint8_t>(a << 1 | a >> 7);
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | (c.A & (FLAG_5 | FLAG_3)) | (a >> 7));
            return 4;
        }
        case 0x0F: {
            uint8_t a = c.A;
            c.A = static_cast<uint8_t>(a >> 1 | a << 7);
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | (c.A & (FLAG_5 | FLAG_3)) | (a & 1));
            return 4;
        }
        case 0x17: {
            uint8_t a = c.A;
            c.A = static_cast<uint8_t>(a << 1 | (c.F & FLAG_C));
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | (c.A & (FLAG_5 | FLAG_3)) | (a >> 7));
            return 4;
        }
        case 0x1F: {
            uint8_t a = c.A;
            c.A = static_cast<uint8_t>(a >> 1 | (c.F & FLAG_C) << 7);
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | (c.A & (FLAG_5 | FLAG_3)) | (a & 1));
            return 4;
        }
        case 0x08: { uint16_t t = c.AF; c.AF = c.altAF; c.altAF = t; return 4; }
        case 0x09: c.HL = add16(c.HL, c.BC); return 11;
        case 0x19: c.HL = add16(c.HL, c.DE); return 11;
        case 0x29: c.HL = add16(c.HL, c.HL); return 11;
        case 0x39: c.HL = add16(c.HL, c.SP); return 11;
        case 0x10: {
            int8_t e = static_cast<int8_t>(fetch8());
            if (--c.B) { c.PC = static_cast<uint16_t>(c.PC + e); return 13; }
            return 8;
        }
        case 0x18: { int8_t e = static_cast<int8_t>(fetch8()); c.PC = static_cast<uint16_t>(c.PC + e); return 12; }
        case 0x20: case 0x28: case 0x30: case 0x38: {
            int8_t e = static_cast<int8_t>(fetch8());
            if (condition((op >> 3) & 3)) { c.PC = static_cast<uint16_t>(c.PC + e); return 12; }
            return 7;
        }
        case 0x22: wr16(fetch16(), c.HL); return 16;
        case 0x2A: c.HL = rd16(fetch16()); return 16;
        case 0x32: wr(fetch16(), c.A); return 13;
        case 0x3A: c.A = rd(fetch16()); return 13;
        case 0x27: daa(); return 4;
        case 0x2F:
            c.A = static_cast<uint8_t>(~c.A);
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV | FLAG_C)) | FLAG_H | FLAG_N |
                                       (c.A & (FLAG_5 | FLAG_3)));
            return 4;
        case 0x37:
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | FLAG_C | (c.A & (FLAG_5 | FLAG_3)));
            return 4;
        case 0x3F:
            c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_PV)) | ((c.F & FLAG_C) ? FLAG_H : FLAG_C) |
                                       (c.A & (FLAG_5 | FLAG_3)));
            return 4;

        KESTREL_LD_ROW(0x40, c.B)
        KESTREL_LD_ROW(0x48, c.C)
        KESTREL_LD_ROW(0x50, c.D)
        KESTREL_LD_ROW(0x58, c.E)
        KESTREL_LD_ROW(0x60, c.H)
        KESTREL_LD_ROW(0x68, c.L)
        KESTREL_LD_ROW(0x78, c.A)
        case 0x70: wr(c.HL, c.B); return 7;
        case 0x71: wr(c.HL, c.C); return 7;
        case 0x72: wr(c.HL, c.D); return 7;
        case 0x73: wr(c.HL, c.E); return 7;
        case 0x74: wr(c.HL, c.H); return 7;
        case 0x75: wr(c.HL, c.L); return 7;
        case 0x77: wr(c.HL, c.A); return 7;
        case 0x76: --c.PC; return 4;  // HALT: fetched again until an interrupt

        KESTREL_ALU_ROW(0x80, ADD_)
        KESTREL_ALU_ROW(0x88, ADC_)
        KESTREL_ALU_ROW(0x90, SUB_)
        KESTREL_ALU_ROW(0x98, SBC_)
        KESTREL_ALU_ROW(0xA0, and8)
        KESTREL_ALU_ROW(0xA8, xor8)
        KESTREL_ALU_ROW(0xB0, or8)
        KESTREL_ALU_ROW(0xB8, cp8)

        case 0xC6: ADD_(fetch8()); return 7;
        case 0xCE: ADC_(fetch8()); return 7;
        case 0xD6: SUB_(fetch8()); return 7;
        case 0xDE: SBC_(fetch8()); return 7;
        case 0xE6: and8(fetch8()); return 7;
        case 0xEE: xor8(fetch8()); return 7;
        case 0xF6: or8(fetch8()); return 7;
        case 0xFE: cp8(fetch8()); return 7;

        case 0xC0: case 0xC8: case 0xD0: case 0xD8: case 0xE0: case 0xE8: case 0xF0: case 0xF8:
            if (condition(op >> 3)) { c.PC = pop(); return 11; }
            return 5;
        case 0xC9: c.PC = pop(); return 10;
        case 0xC1: c.BC = pop(); return 10;
        case 0xD1: c.DE = pop(); return 10;
        case 0xE1: c.HL = pop(); return 10;
        case 0xF1: c.AF = pop(); return 10;
        case 0xC5: push(c.BC); return 11;
        case 0xD5: push(c.DE); return 11;
        case 0xE5: push(c.HL); return 11;
        case 0xF5: push(c.AF); return 11;
        case 0xC2: case 0xCA: case 0xD2: case 0xDA: case 0xE2: case 0xEA: case 0xF2: case 0xFA: {
            uint16_t target = fetch16();
            if (condition(op >> 3)) c.PC = target;
            return 10;
        }
        case 0xC3: c.PC = fetch16(); return 10;
        case 0xC4: case 0xCC: case 0xD4: case 0xDC: case 0xE4: case 0xEC: case 0xF4: case 0xFC: {
            uint16_t target = fetch16();
            if (condition(op >> 3)) { push(c.PC); c.PC = target; return 17; }
            return 10;
        }
        case 0xCD: { uint16_t target = fetch16(); push(c.PC); c.PC = target; return 17; }
        case 0xC7: case 0xCF: case 0xD7: case 0xDF: case 0xE7: case 0xEF: case 0xF7: case 0xFF:
            push(c.PC);
            c.PC = op & 0x38;
            return 11;
        case 0xD3: { uint8_t port = fetch8(); bus.portOut(port, c.A); return 11; }
        case 0xDB: { uint8_t port = fetch8(); c.A = bus.portIn(port); return 11; }
        case 0xD9: {
            uint16_t t = c.BC; c.BC = c.altBC; c.altBC = t;
            t = c.DE; c.DE = c.altDE; c.altDE = t;
            t = c.HL; c.HL = c.altHL; c.altHL = t;
            return 4;
        }
        case 0xE3: { uint16_t v = rd16(c.SP); wr16(c.SP, c.HL); c.HL = v; return 19; }
        case 0xE9: c.PC = c.HL; return 4;
        case 0xEB: { uint16_t t = c.DE; c.DE = c.HL; c.HL = t; return 4; }
        case 0xF3: c.IFF1 = c.IFF2 = 0; return 4;
        case 0xFB: c.IFF1 = c.IFF2 = 1; return 4;
        case 0xF9: c.SP = c.HL; return 6;
        case 0xCB: stepR(); return executeCbPage();
        case 0xED: stepR(); return executeEdPage();
        case 0xDD: stepR(); return executeIndexPage(c.IX);
        case 0xFD: stepR(); return executeIndexPage(c.IY);
        default: return 4;  // unreachable: every opcode has a case
    }
#undef ADD_
#undef ADC_
#undef SUB_
#undef SBC_
}

template <class Bus>
void Core<Bus>::daa() {
    unsigned a = c.A;
    unsigned low = a & 0x0F;
    uint8_t f = c.F;
    uint8_t h;
    uint8_t carry;
    if (!(f & FLAG_N)) {
        if ((f & FLAG_H) || low > 9) {
            a = (a + 6) & 0x1FF;
            h = low > 9 ? FLAG_H : 0;
        } else {
            h = 0;
        }
        if ((f & FLAG_C) || (a & 0x1F0) > 0x90) a += 0x60;
        carry = ((f & FLAG_C) || (a & 0x100)) ? FLAG_C : 0;
    } else {
        bool adjustHigh = (f & FLAG_C) || a >= 0x9A;
        if ((f & FLAG_H) || low > 9) {
            h = ((f & FLAG_H) && low < 6) ? FLAG_H : 0;
            a = (a - 6) & 0xFF;
        } else {
            h = 0;
        }
        if (adjustHigh) {
            a = (a - 0x60) & 0xFF;
            carry = FLAG_C;
        } else {
            carry = f & FLAG_C;
        }
    }
    c.A = static_cast<uint8_t>(a);
    c.F = static_cast<uint8_t>(sz53pTable[c.A] | h | (f & FLAG_N) | carry);
}

template <class Bus>
int Core<Bus>::executeCbPage() {
    uint8_t op = fetch8();
    unsigned code = op & 7;
    unsigned y = (op >> 3) & 7;
    if (code == 6) {
        uint16_t a = c.HL;
        uint8_t v = rd(a);
        switch (op >> 6) {
            case 0: wr(a, shiftOp(y, v)); return 15;
            case 1: bitTest(y, v, 0); return 12;
            case 2: wr(a, static_cast<uint8_t>(v & ~(1u << y))); return 15;
            default: wr(a, static_cast<uint8_t>(v | (1u << y))); return 15;
        }
    }
    uint8_t v = getReg(code);
    switch (op >> 6) {
        case 0: setReg(code, shiftOp(y, v)); break;
        case 1: bitTest(y, v, v); break;
        case 2: setReg(code, static_cast<uint8_t>(v & ~(1u << y))); break;
        default: setReg(code, static_cast<uint8_t>(v | (1u << y))); break;
    }
    return 8;
}

template <class Bus>
void Core<Bus>::ldBlock(int step) {
    uint8_t v = rd(c.HL);
    wr(c.DE, v);
    c.HL = static_cast<uint16_t>(c.HL + step);
    c.DE = static_cast<uint16_t>(c.DE + step);
    --c.BC;
    unsigned n = c.A + v;
    c.F = static_cast<uint8_t>((c.F & (FLAG_S | FLAG_Z | FLAG_C)) | (c.BC ? FLAG_PV : 0) | (n & FLAG_3) |
                               ((n & 0x02) << 4));
}

template <class Bus>
void Core<Bus>::cpBlockFlags(uint8_t v) {
    unsigned a = c.A;
    uint8_t r = static_cast<uint8_t>(a - v);
    uint8_t h = subFlagTables[0][flagLookup(a, v, r) & 7];
    unsigned m = static_cast<uint8_t>(r - (h ? 1 : 0));
    c.F = static_cast<uint8_t>((c.F & FLAG_C) | FLAG_N | (r & FLAG_S) | (r ? 0 : FLAG_Z) | h |
                               (c.BC ? FLAG_PV : 0) | (m & FLAG_3) | ((m & 0x02) << 4));
}

// INI/IND/OUTI/OUTD and their repeating forms, after the byte has moved.
template <class Bus>
int Core<Bus>::ioBlockStep(uint8_t nn) {
    c.HL = static_cast<uint16_t>(c.HL + ((nn & 0x08) ? -1 : 1));
    --c.B;
    if (nn & 0x10) {
        if (c.B) {
            c.PC = static_cast<uint16_t>(c.PC - 2);
            return 21;
        }
        c.F |= FLAG_Z | FLAG_N;
        return 16;
    }
    c.F = static_cast<uint8_t>((c.F & ~FLAG_Z) | FLAG_N | (c.B ? 0 : FLAG_Z));
    return 16;
}

template <class Bus>
int Core<Bus>::executeEdPage() {
    uint8_t nn = fetch8();
    switch (nn) {
        case 0x00: case 0x01: case 0x02: case 0x03: case 0x04:
        case 0x05: case 0x06: case 0x07: case 0x08: case 0x09:
            bus.serviceTrap(nn);
            return 0;

        case 0x40: case 0x48: case 0x50: case 0x58: case 0x60: case 0x68: case 0x70: case 0x78: {
            uint8_t v = bus.portIn(c.C);
            c.F = static_cast<uint8_t>((c.F & (FLAG_C | FLAG_5 | FLAG_3)) |
                                       (sz53pTable[v] & ~(FLAG_5 | FLAG_3)));
            setReg((nn >> 3) & 7, v);  // code 6 (IN (C)) is discarded by setReg
            return 12;
        }
        case 0x41: case 0x49: case 0x51: case 0x59: case 0x61: case 0x69: case 0x79:
            bus.portOut(c.C, getReg((nn >> 3) & 7));
            return 12;
        case 0x71: bus.portOut(c.C, 0); return 12;

        case 0x42: sbc16(c.BC); return 15;
        case 0x52: sbc16(c.DE); return 15;
        case 0x62: sbc16(c.HL); return 15;
        case 0x72: sbc16(c.SP); return 15;
        case 0x4A: adc16(c.BC); return 15;
        case 0x5A: adc16(c.DE); return 15;
        case 0x6A: adc16(c.HL); return 15;
        case 0x7A: adc16(c.SP); return 15;
        case 0x43: wr16(fetch16(), c.BC); return 20;
        case 0x53: wr16(fetch16(), c.DE); return 20;
        case 0x63: wr16(fetch16(), c.HL); return 20;
        case 0x73: wr16(fetch16(), c.SP); return 20;
        case 0x4B: c.BC = rd16(fetch16()); return 20;
        case 0x5B: c.DE = rd16(fetch16()); return 20;
        case 0x6B: c.HL = rd16(fetch16()); return 20;
        case 0x7B: c.SP = rd16(fetch16()); return 20;

        case 0x44: case 0x4C: case 0x54: case 0x5C: case 0x64: case 0x6C: case 0x74: case 0x7C: {
            uint8_t v = c.A;
            c.A = 0;
            sub8(v, 0);
            return 8;
        }
        case 0x45: c.PC = pop(); c.IFF1 = c.IFF2; return 14;
        case 0x4D: case 0x55: case 0x5D: case 0x65: case 0x6D: case 0x75: case 0x7D:
            c.PC = pop();
            return 14;
        case 0x46: case 0x66: c.interruptMode = 0; return 8;
        case 0x56: case 0x76: c.interruptMode = 1; return 8;
        case 0x5E: case 0x7E: c.interruptMode = 2; return 8;
        case 0x47: c.I = c.A; return 9;
        case 0x4F: c.R = c.A; return 9;
        case 0x57:
            c.A = c.I;
            c.F = static_cast<uint8_t>((c.F & FLAG_C) | sz53Table[c.A] | (c.IFF2 ? FLAG_PV : 0));
            return 9;
        case 0x5F:
            c.A = c.R;
            c.F = static_cast<uint8_t>((c.F & FLAG_C) | sz53Table[c.A] | (c.IFF2 ? FLAG_PV : 0));
            return 9;
        case 0x67: {  // RRD
            uint8_t v = rd(c.HL);
            wr(c.HL, static_cast<uint8_t>((c.A & 0x0F) << 4 | v >> 4));
            c.A = static_cast<uint8_t>((c.A & 0xF0) | (v & 0x0F));
            c.F = static_cast<uint8_t>((c.F & FLAG_C) | sz53pTable[c.A]);
            return 18;
        }
        case 0x6F: {  // RLD
            uint8_t v = rd(c.HL);
            wr(c.HL, static_cast<uint8_t>(v << 4 | (c.A & 0x0F)));
            c.A = static_cast<uint8_t>((c.A & 0xF0) | v >> 4);
            c.F = static_cast<uint8_t>((c.F & FLAG_C) | sz53pTable[c.A]);
            return 18;
        }

        case 0xA0: ldBlock(1); return 16;
        case 0xA8: ldBlock(-1); return 16;
        case 0xB0: case 0xB8: {
            uint8_t f = c.F;
            ldBlock(nn == 0xB0 ? 1 : -1);
            if (c.BC) {
                c.F = f;
                c.PC = static_cast<uint16_t>(c.PC - 2);
                return 21;
            }
            return 16;
        }
        case 0xA1: case 0xA9: {
            uint8_t v = rd(c.HL);
            c.HL = static_cast<uint16_t>(c.HL + (nn == 0xA1 ? 1 : -1));
            --c.BC;
            cpBlockFlags(v);
            return 16;
        }
        case 0xB1: case 0xB9: {
            // The whole search is one execution: no interrupt between passes. Each
            // repeat's T-states count before the next read, as a device would see them.
            int step = nn == 0xB1 ? 1 : -1;
            for (;;) {
                uint8_t v = rd(c.HL);
                c.HL = static_cast<uint16_t>(c.HL + step);
                --c.BC;
                if (c.BC == 0 || v == c.A) {
                    cpBlockFlags(v);
                    return 16;
                }
                c.tstates += 21;
            }
        }
        case 0xA2: case 0xAA: case 0xB2: case 0xBA:
            wr(c.HL, bus.portIn(c.C));
            return ioBlockStep(nn);
        case 0xA3: case 0xAB: case 0xB3: case 0xBB:
            bus.portOut(c.C, rd(c.HL));
            return ioBlockStep(nn);
        default:
            return 0;  // no instruction: only PC and R have moved
    }
}

template <class Bus>
int Core<Bus>::executeIndexPage(uint16_t& xr) {
    auto high = [&]() -> uint8_t { return static_cast<uint8_t>(xr >> 8); };
    auto low = [&]() -> uint8_t { return static_cast<uint8_t>(xr); };
    auto setHigh = [&](uint8_t v) { xr = static_cast<uint16_t>((xr & 0x00FF) | v << 8); };
    auto setLow = [&](uint8_t v) { xr = static_cast<uint16_t>((xr & 0xFF00) | v); };
    // B, C, D, E, IXH, IXL, -, A: the index halves stand in for H and L.
    auto getIdxReg = [&](unsigned code) -> uint8_t {
        switch (code & 7) {
            case 4: return high();
            case 5: return low();
            default: return getReg(code);
        }
    };

    uint8_t op = fetch8();
    switch (op) {
        case 0x09: xr = add16(xr, c.BC); return 15;
        case 0x19: xr = add16(xr, c.DE); return 15;
        case 0x29: xr = add16(xr, xr); return 15;
        case 0x39: xr = add16(xr, c.SP); return 15;
        case 0x21: xr = fetch16(); return 14;
        case 0x22: wr16(fetch16(), xr); return 20;
        case 0x2A: xr = rd16(fetch16()); return 20;
        case 0x23: ++xr; return 10;
        case 0x2B: --xr; return 10;
        case 0x24: setHigh(inc8(high())); return 8;
        case 0x25: setHigh(dec8(high())); return 8;
        case 0x2C: setLow(inc8(low())); return 8;
        case 0x2D: setLow(dec8(low())); return 8;
        case 0x26: setHigh(fetch8()); return 11;
        case 0x2E: setLow(fetch8()); return 11;
        case 0x34: { uint16_t a = fetchDisplaced(xr); wr(a, inc8(rd(a))); return 23; }
        case 0x35: { uint16_t a = fetchDisplaced(xr); wr(a, dec8(rd(a))); return 23; }
        case 0x36: { uint16_t a = fetchDisplaced(xr); wr(a, fetch8()); return 19; }
        case 0x46: case 0x4E: case 0x56: case 0x5E: case 0x66: case 0x6E: case 0x7E:
            setReg((op >> 3) & 7, rd(fetchDisplaced(xr)));
            return 19;
        case 0x70: case 0x71: case 0x72: case 0x73: case 0x74: case 0x75: case 0x77:
            wr(fetchDisplaced(xr), getReg(op & 7));
            return 19;
        case 0x44: case 0x45: case 0x4C: case 0x4D: case 0x54: case 0x55: case 0x5C: case 0x5D:
        case 0x7C: case 0x7D:
            setReg((op >> 3) & 7, getIdxReg(op & 7));
            return 8;
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: case 0x67:
            setHigh(getIdxReg(op & 7));
            return 8;
        case 0x68: case 0x69: case 0x6A: case 0x6B: case 0x6C: case 0x6D: case 0x6F:
            setLow(getIdxReg(op & 7));
            return 8;
        case 0x84: case 0x85: case 0x8C: case 0x8D: case 0x94: case 0x95: case 0x9C: case 0x9D:
        case 0xA4: case 0xA5: case 0xAC: case 0xAD: case 0xB4: case 0xB5: case 0xBC: case 0xBD:
            alu(op >> 3, getIdxReg(op & 7));
            return 8;
        case 0x86: case 0x8E: case 0x96: case 0x9E: case 0xA6: case 0xAE: case 0xB6: case 0xBE:
            alu(op >> 3, rd(fetchDisplaced(xr)));
            return 19;
        case 0xCB: {
            uint16_t a = fetchDisplaced(xr);
            uint8_t sub = fetch8();
            unsigned code = sub & 7;
            unsigned y = (sub >> 3) & 7;
            uint8_t v = rd(a);
            uint8_t r;
            switch (sub >> 6) {
                case 0: r = shiftOp(y, v); break;
                case 1: bitTest(y, v, code == 6 ? 0 : v); return 20;
                case 2: r = static_cast<uint8_t>(v & ~(1u << y)); break;
                default: r = static_cast<uint8_t>(v | (1u << y)); break;
            }
            wr(a, r);
            setReg(code, r);  // code 6 stores nowhere
            return 23;
        }
        case 0xE1: xr = pop(); return 14;
        case 0xE5: push(xr); return 15;
        case 0xE3: { uint16_t v = rd16(c.SP); wr16(c.SP, xr); xr = v; return 23; }
        case 0xE9: c.PC = xr; return 8;
        case 0xF9: c.SP = xr; return 10;
        default:
            // Not an index instruction: the prefix alone, and op runs next pass.
            --c.PC;
            return 4;
    }
}

template <class Bus>
KESTREL_ALWAYS_INLINE void Core<Bus>::interruptTest(uint8_t op) {
    if (c.nmiLine && !c.nmiTaken) {
        if (op == 0x76) ++c.PC;
        stepR();
        push(c.PC);
        c.IFF1 = 0;
        c.PC = 0x0066;
        c.nmiTaken = 1;
        c.tstates += 11;
        return;
    }
    if (c.intLine && c.IFF1 && op != 0xFB) {
        if (op == 0x76) ++c.PC;
        c.tstates += 7;
        c.IFF1 = c.IFF2 = 0;
        stepR();
        c.SP = static_cast<uint16_t>(c.SP - 1);
        wr(c.SP, static_cast<uint8_t>(c.PC >> 8));
        c.tstates += 3;
        c.SP = static_cast<uint16_t>(c.SP - 1);
        wr(c.SP, static_cast<uint8_t>(c.PC));
        if (c.interruptMode == 2) {
            uint16_t vector = static_cast<uint16_t>(c.I << 8 | 0xFF);
            c.PC = rd16(vector);
            c.tstates += 9;
        } else {
            c.PC = 0x0038;
            c.tstates += 3;
        }
    }
}

#undef KESTREL_LD_ROW
#undef KESTREL_ALU_ROW

}  // namespace z80detail

template <class Bus>
int z80Execute(Z80& cpu, Bus& bus, int32_t budget) {
    cpu.cycleBudget += budget;
    z80detail::Core<Bus> core(cpu, bus);
    // Only the breakpoint stop itself sets the latch, and it returns at once, so
    // whether to test is fixed for the whole call.
    const bool testBreak = cpu.breakEnabled && !cpu.breakLatch;
    int64_t left = cpu.cycleBudget;
    for (;;) {
        if (KESTREL_UNLIKELY(testBreak) && cpu.PC == cpu.breakAddress) {
            cpu.breakLatch = 1;
            cpu.cycleBudget = left - budget;
            return 1;
        }
        const uint64_t start = cpu.tstates;
        const uint8_t op = core.fetchOpcode();
        cpu.tstates += static_cast<unsigned>(core.executeMain(op));
        if (KESTREL_UNLIKELY(cpu.nmiLine | cpu.intLine)) core.interruptTest(op);
        left -= static_cast<int32_t>(static_cast<uint32_t>(cpu.tstates - start));
        if (left < 1) {
            cpu.cycleBudget = left;
            return 0;
        }
    }
}

}  // namespace kestrel
