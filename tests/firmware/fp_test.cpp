// The open firmware's numbers, checked against the host: the four
// operations on random operands, the functions at many points, and the
// round trip of constants through text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "machine/machine.h"
#include "machine_peer.h"
#include "quiet_machine.h"

namespace kestrel {
namespace {

constexpr uint16_t kReturn = 0xFFF0;
constexpr uint16_t kAcc = 0x4121, kArg = 0x412B, kType = 0x40AF, kText = 0x6000;

// The machine's layout: mantissa low byte first, its top bit the sign, then
// the exponent biased by 80h (0 is zero). Single: 3 mantissa bytes, double 7.
void encode(long double v, uint8_t* at, int mantissaBytes) {
    std::memset(at, 0, mantissaBytes + 1);
    if (v == 0) return;
    int e = 0;
    long double m = std::frexp(std::fabs(v), &e);
    auto bits = static_cast<unsigned long long>(std::ldexp(m, 8 * mantissaBytes));
    for (int i = 0; i < mantissaBytes; ++i) at[i] = static_cast<uint8_t>(bits >> (8 * i));
    at[mantissaBytes - 1] = static_cast<uint8_t>((at[mantissaBytes - 1] & 0x7F) | (v < 0 ? 0x80 : 0));
    at[mantissaBytes] = static_cast<uint8_t>(e + 128);
}

long double decode(const uint8_t* at, int mantissaBytes) {
    if (at[mantissaBytes] == 0) return 0;
    unsigned long long bits = 0;
    for (int i = mantissaBytes - 1; i >= 0; --i) bits = bits << 8 | at[i];
    bits |= 1ULL << (8 * mantissaBytes - 1);
    long double v = std::ldexp(static_cast<long double>(bits), at[mantissaBytes] - 128 - 8 * mantissaBytes);
    return (at[mantissaBytes - 1] & 0x80) ? -v : v;
}

// A started machine whose firmware routines can be called one at a time.
class Firmware {
public:
    Firmware() : m(std::make_unique<Machine>(test::quietMachineOptions())) {
        m->startUp();
        for (int i = 0; i < 30; ++i) m->runFrame();
        m->typeText("\r\n");
        for (int i = 0; i < 60; ++i) m->runFrame();
        std::ifstream in(KESTREL_FIRMWARE_SYM);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream s(line);
            std::string name, equ, value;
            if (s >> name >> equ >> value && equ == "EQU")
                syms[name] = static_cast<uint16_t>(std::stoul(value.substr(0, value.size() - 1), nullptr, 16));
        }
    }
    uint8_t* mem() { return MachinePeer(*m).bus.memoryBase(); }
    uint16_t sym(const std::string& name) {
        EXPECT_TRUE(syms.count(name)) << name;
        return syms[name];
    }
    // Calls the routine; false when it does not come back.
    bool call(uint16_t address, uint16_t hl = 0, uint8_t c = 0) {
        Z80State r = m->processor();
        r.PC = address;
        r.SP = 0x7000;
        r.HL = hl;
        r.C = c;
        r.IFF1 = r.IFF2 = 0;
        mem()[0x7000] = kReturn & 0xFF;
        mem()[0x7001] = kReturn >> 8;
        m->setRegisters(r);
        for (long i = 0; i < 5000000 && m->processor().PC != kReturn; ++i) m->stepInstruction();
        return m->processor().PC == kReturn;
    }
    void setAcc(long double v, int type, uint16_t at = kAcc) {
        encode(v, mem() + at - (type == 8 ? 4 : 0), type - 1);
        mem()[at == kAcc ? kType : kArg + 4] = static_cast<uint8_t>(type);
    }
    long double acc() {
        int type = mem()[kType];
        if (type == 2) return static_cast<int16_t>(mem()[kAcc] | mem()[kAcc + 1] << 8);
        return decode(mem() + kAcc - (type == 8 ? 4 : 0), type - 1);
    }
    // The text at 0FBDh's answer.
    std::string text() {
        EXPECT_TRUE(call(0x0FBD));
        return reinterpret_cast<const char*>(mem() + m->processor().HL);
    }
    std::unique_ptr<Machine> m;
    std::map<std::string, uint16_t> syms;
};

bool close(long double got, long double want, long double relative, long double absolute = 0) {
    return std::fabs(got - want) <= relative * std::fabs(want) + absolute;
}

TEST(FloatingPoint, OperationsOnRandomOperands) {
    Firmware f;
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-20, 20);
    const char ops[] = "+-*/";
    for (int type : {4, 8}) {
        const long double ulp = type == 4 ? 0x1p-23L : 0x1p-54L;
        for (int i = 0; i < 200; ++i) {
            long double a = std::ldexp(mantissa(rng), exponent(rng)), b = std::ldexp(mantissa(rng), exponent(rng));
            if (type == 4) a = static_cast<float>(a), b = static_cast<float>(b);
            int op = i % 4;
            f.setAcc(a, type, kArg);
            f.setAcc(b, type);
            ASSERT_TRUE(f.call(f.sym("arith"), 0, static_cast<uint8_t>(op)));
            long double want = op == 0 ? a + b : op == 1 ? a - b : op == 2 ? a * b : a / b;
            EXPECT_EQ(f.mem()[kType], type);
            // A sum of nearly equal numbers keeps only the operands' precision.
            long double scale = op < 2 ? std::max(std::fabs(a), std::fabs(b)) : std::fabs(want);
            EXPECT_TRUE(close(f.acc(), want, 0, scale * ulp)) << type << ": " << (double)a << ops[op] << (double)b << " = " << (double)f.acc() << " not " << (double)want;
        }
    }
    // ^ in single precision, through EXP and LOG.
    std::uniform_real_distribution<double> base(0.01, 100), power(-8, 8);
    for (int i = 0; i < 50; ++i) {
        long double a = static_cast<float>(base(rng)), b = static_cast<float>(power(rng));
        long double want = std::pow(a, b);
        if (want > 1e30L || want < 1e-30L) continue;
        f.setAcc(a, 4, kArg);
        f.setAcc(b, 4);
        ASSERT_TRUE(f.call(f.sym("power")));
        EXPECT_TRUE(close(f.acc(), want, 2e-6L)) << (double)a << "^" << (double)b << " = " << (double)f.acc() << " not " << (double)want;
    }
    // Integers stay integers until they overflow; / always gives a fraction.
    struct { int a, b, op; long double want; int type; } ints[] = {
        {32767, 1, 0, 32768, 4}, {-32768, 1, 1, -32769, 4}, {200, 200, 2, 40000, 4}, {7, 2, 3, 3.5, 4}, {300, -100, 2, -30000, 2}};
    for (auto& c : ints) {
        f.setAcc(0, 2, kArg);
        f.mem()[kArg] = static_cast<uint8_t>(c.a), f.mem()[kArg + 1] = static_cast<uint8_t>(c.a >> 8);
        f.mem()[kAcc] = static_cast<uint8_t>(c.b), f.mem()[kAcc + 1] = static_cast<uint8_t>(c.b >> 8), f.mem()[kType] = 2;
        ASSERT_TRUE(f.call(f.sym("arith"), 0, static_cast<uint8_t>(c.op)));
        EXPECT_EQ(f.mem()[kType], c.type) << c.a << " " << c.b;
        EXPECT_EQ(f.acc(), c.want) << c.a << " " << c.b;
    }
}

TEST(FloatingPoint, FunctionsAgainstTheCLibrary) {
    Firmware f;
    struct Function {
        const char* routine;
        long double (*want)(long double);
        double from, to, absolute;
    } functions[] = {
        {"fp_sqr", [](long double x) { return std::sqrt(x); }, 0, 1e6, 0},
        {"fp_sin", [](long double x) { return std::sin(x); }, -20, 20, 2e-6},
        {"fp_cos", [](long double x) { return std::cos(x); }, -20, 20, 2e-6},
        {"fp_tan", [](long double x) { return std::tan(x); }, -1.4, 1.4, 2e-6},
        {"fp_atn", [](long double x) { return std::atan(x); }, -50, 50, 0},
        {"fp_log", [](long double x) { return std::log(x); }, 1e-3, 1e5, 1e-6},
        {"fp_exp", [](long double x) { return std::exp(x); }, -80, 80, 0},
    };
    for (const Function& fn : functions) {
        for (int i = 0; i <= 60; ++i) {
            long double x = static_cast<float>(fn.from + (fn.to - fn.from) * i / 60 + 0.0123);
            f.setAcc(x, 4);
            f.mem()[f.sym("FP_LEN")] = 4, f.mem()[f.sym("FP_OFF")] = 4;  // single precision
            ASSERT_TRUE(f.call(f.sym("acc_to_fa")));
            ASSERT_TRUE(f.call(f.sym(fn.routine))) << fn.routine << " " << (double)x;
            // FA: 32 bits of mantissa in use, the top one set, the exponent, the sign.
            const uint8_t* fa = f.mem() + f.sym("FA");
            uint32_t bits = static_cast<uint32_t>(fa[4] | fa[5] << 8 | fa[6] << 16 | fa[7] << 24);
            long double got = fa[8] ? std::ldexp(static_cast<long double>(bits), fa[8] - 128 - 32) * (fa[9] & 0x80 ? -1 : 1) : 0;
            long double want = fn.want(x);
            EXPECT_TRUE(close(got, want, 1e-6, fn.absolute)) << fn.routine << "(" << (double)x << ") = " << (double)got << " not " << (double)want;
        }
    }
}

TEST(FloatingPoint, ConstantsReadAndWrittenBack) {
    Firmware f;
    struct Case {
        const char* text;
        int type;
        const char* shown;
    } cases[] = {
        {"0", 2, " 0"}, {"32767", 2, " 32767"}, {"-32768", 4, "-32768"}, {"32768", 4, " 32768"},
        {"2.5", 4, " 2.5"}, {".25", 4, " .25"}, {"1E3", 4, " 1000"}, {"1.5D-3", 8, " 1.5D-03"},
        {"1E10", 4, " 1E+10"}, {"1.5E-5", 4, " 1.5E-05"}, {".01", 4, " .01"}, {".001", 4, " 1E-03"},
        {"123456", 4, " 123456"}, {"1234567", 4, " 1.23457E+06"}, {"999999.7", 4, " 1E+06"},
        {"12345678", 8, " 12345678"}, {"3.14159265358979", 8, " 3.14159265358979"},
        {"7#", 8, " 7"}, {"7!", 4, " 7"}, {"7.9%", 2, " 7"}, {"-0.5", 4, "-.5"}, {"1E38", 4, " 1E+38"},
        {"3E-39", 4, " 3E-39"}, {"2.9E-39", 4, " 0"}, {"0.1", 4, " .1"}, {"1D16", 8, " 1D+16"}, {"123.456E2", 4, " 12345.6"},
    };
    for (const Case& c : cases) {
        std::memcpy(f.mem() + kText, c.text, std::strlen(c.text) + 1);
        ASSERT_TRUE(f.call(0x0E6C, kText)) << c.text;
        EXPECT_EQ(f.mem()[kType], c.type) << c.text;
        EXPECT_EQ(f.m->processor().HL, kText + std::strlen(c.text)) << c.text;
        EXPECT_EQ(f.text(), c.shown) << c.text;
    }
    // Random singles and doubles: the digits shown are the value rounded
    // (to 6 or 16 digits), and reading them back gives that rounded value.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 100; ++i) {
        int type = i % 2 ? 8 : 4, digits = type == 4 ? 6 : 16;
        double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        if (type == 4) v = static_cast<float>(v);
        f.setAcc(v, type);
        const std::string t = f.text();
        std::string host = t;
        if (host.find('D') != std::string::npos) host[host.find('D')] = 'E';
        long double shown = std::strtold(host.c_str(), nullptr);
        long double unit = std::pow(10.0L, std::floor(std::log10(std::fabs(v))) - digits + 1);
        EXPECT_LE(std::fabs(shown - v), unit * 0.51L) << t << " for " << (double)v;
        std::memcpy(f.mem() + kText, t.c_str(), t.size() + 1);
        ASSERT_TRUE(f.call(0x0E6C, kText));
        long double want = type == 4 ? static_cast<long double>(static_cast<float>(shown)) : shown;
        EXPECT_TRUE(close(f.acc(), want, type == 4 ? 0x1p-23L : 0x1p-55L)) << t << " read as " << (double)f.acc() << " not " << (double)want;
    }
}

}  // namespace
}  // namespace kestrel
