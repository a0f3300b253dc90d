// Just enough CP/M to run the instruction exercisers: the program at 0100h, the
// console functions 2 and 9 of the BDOS at 0005h, and a warm boot at 0000h that
// ends the run. Both BDOS and warm boot are emulator traps, so the program runs
// at full speed without testing PC after every instruction.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "z80/z80.h"
#include "z80/z80_execute.h"

namespace kestrel::test {

class CpmConsole {
public:
    std::array<uint8_t, 65536> memory{};
    std::string output;
    bool finished = false;
    Z80 cpu;

    CpmConsole() {
        z80Init(cpu, 4000000);
        // 0000h: warm boot trap, then HALT while the caller notices.
        memory[0x0000] = 0xED;
        memory[0x0001] = kWarmBootTrap;
        memory[0x0002] = 0x76;
        // 0005h: JP to the BDOS; programs read the top of their memory at 0006h.
        memory[0x0005] = 0xC3;
        memory[0x0006] = kBdos & 0xFF;
        memory[0x0007] = kBdos >> 8;
        memory[kBdos] = 0xED;
        memory[kBdos + 1] = kBdosTrap;
        memory[kBdos + 2] = 0xC9;
    }

    // Loads a .COM image at 0100h; false when the file is missing or too large.
    bool loadCom(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.empty() || bytes.size() > kBdos - 0x100u) return false;
        for (size_t i = 0; i < bytes.size(); ++i) memory[0x100 + i] = static_cast<uint8_t>(bytes[i]);
        cpu.PC = 0x100;
        cpu.SP = kBdos;
        return true;
    }

    // Runs until warm boot or until maxTstates have passed; true on warm boot.
    bool run(uint64_t maxTstates = UINT64_MAX) {
        const uint64_t start = cpu.tstates;
        while (!finished && cpu.tstates - start < maxTstates) z80Execute(cpu, *this, kSlice);
        return finished;
    }

    // The bus.
    uint8_t memRead(uint16_t address) { return memory[address]; }
    void memWrite(uint16_t address, uint8_t value) { memory[address] = value; }
    uint8_t portIn(uint8_t) { return 0xFF; }
    void portOut(uint8_t, uint8_t) {}
    void serviceTrap(uint8_t nn) {
        if (nn == kWarmBootTrap) {
            finished = true;
        } else if (nn == kBdosTrap) {
            bdos();
        }
    }

private:
    static constexpr uint16_t kBdos = 0xFE00;
    static constexpr uint8_t kWarmBootTrap = 0x00;
    static constexpr uint8_t kBdosTrap = 0x01;
    static constexpr int32_t kSlice = 1 << 20;

    void bdos() {
        switch (cpu.C) {
            case 2:
                output.push_back(static_cast<char>(cpu.E));
                break;
            case 9:
                for (uint16_t a = cpu.DE; memory[a] != '$' && output.size() < (1u << 20); ++a)
                    output.push_back(static_cast<char>(memory[a]));
                break;
            default:
                break;
        }
    }
};

}  // namespace kestrel::test
