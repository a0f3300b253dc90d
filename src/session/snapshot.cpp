#include "session/snapshot.h"

#include <algorithm>
#include <limits>
#include <span>
#include <utility>

#include "machine/machine.h"

namespace kestrel {
namespace {

void put16(std::vector<uint8_t>& out, std::size_t offset, uint16_t value) {
    out[offset] = static_cast<uint8_t>(value);
    out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t get16(const std::vector<uint8_t>& in, std::size_t offset) {
    return static_cast<uint16_t>(in[offset] | (in[offset + 1] << 8));
}

}  // namespace

std::vector<uint8_t> buildSnapshot(Machine& machine) {
    const Z80State& cpu = machine.processor();
    std::vector<uint8_t> record(kSnapshotSize, 0);
    record[0] = 'H';
    record[1] = 'S';
    record[2] = '0';
    record[3] = '1';
    put16(record, 4, cpu.BC);
    put16(record, 6, cpu.DE);
    put16(record, 8, cpu.HL);
    put16(record, 10, cpu.AF);
    put16(record, 12, cpu.altBC);
    put16(record, 14, cpu.altDE);
    put16(record, 16, cpu.altHL);
    put16(record, 18, cpu.altAF);
    put16(record, 20, cpu.PC);
    put16(record, 22, cpu.SP);
    // 24-25 stay zero.
    put16(record, 26, cpu.IX);
    put16(record, 28, cpu.IY);
    record[30] = machine.lastPortOut(0xC0);
    // 31-33 reserved, zero.
    record[34] = machine.readPort(0x00);
    record[35] = machine.readPort(0x40);
    record[36] = machine.readPort(0x80);
    record[37] = machine.readPort(0xC0);
    const auto from = machine.memory().begin() + kSnapshotMemoryStart;
    std::copy(from, from + kSnapshotMemorySize, record.begin() + kSnapshotMemoryOffset);
    // The 512 bytes after the memory stay zero.
    return record;
}

bool applySnapshot(Machine& machine, const std::vector<uint8_t>& record) {
    if (record.size() != kSnapshotSize) return false;
    machine.markStarted();  // the snapshot's machine has long started
    Z80State cpu = machine.processor();
    cpu.BC = get16(record, 4);
    cpu.DE = get16(record, 6);
    cpu.HL = get16(record, 8);
    cpu.AF = get16(record, 10);
    cpu.altBC = get16(record, 12);
    cpu.altDE = get16(record, 14);
    cpu.altHL = get16(record, 16);
    cpu.altAF = get16(record, 18);
    cpu.PC = get16(record, 20);
    cpu.SP = get16(record, 22);
    cpu.IX = get16(record, 26);
    cpu.IY = get16(record, 28);
    machine.setRegisters(cpu);
    // Both saved port bytes are replayed to port 0x00, the port read last; the
    // devices follow as for a live OUT.
    machine.writePort(0x00, record[30]);
    machine.writePort(0x00, record[34]);
    // Straight into the array: the ROM byte at 0x2FFF and the expansion area
    // take the stored values too.
    machine.loadMemory(kSnapshotMemoryStart,
                       std::span<const uint8_t>(record).subspan(kSnapshotMemoryOffset, kSnapshotMemorySize));
    return true;
}

IoResult saveSnapshot(Machine& machine, const std::string& path) {
    return writeFileAtomic(path, buildSnapshot(machine));
}

IoResult loadSnapshot(Machine& machine, const std::string& path) {
    // The length is checked before reading, so a huge file is never read whole.
    std::uintmax_t length = 0;
    IoResult checked = checkRegularFile(path, std::numeric_limits<std::uintmax_t>::max(), &length);
    if (checked && length != kSnapshotSize)
        checked = IoResult::failure("Not a snapshot: " + path + " is " + std::to_string(length) +
                                    " bytes long, a snapshot is " + std::to_string(kSnapshotSize) + " bytes.");
    std::vector<uint8_t> record;
    if (checked) checked = readWholeFile(path, kSnapshotSize, record);
    // The file may have shrunk since it was measured.
    if (checked && record.size() != kSnapshotSize)
        checked = IoResult::failure("Cannot read snapshot file " + path + ": it is not " +
                                    std::to_string(kSnapshotSize) + " bytes long.");
    if (checked) applySnapshot(machine, record);
    return checked;
}

std::string videoRamFileName(const std::string& screenshotPath) {
    const std::string& s = screenshotPath;
    if (s.size() >= 4 && s[s.size() - 4] == '.') return s.substr(0, s.size() - 4) + ".v80";
    if (s.size() < 4) {
        const std::size_t dot = s.rfind('.');
        if (dot != std::string::npos) return s.substr(0, dot) + ".v80";
    }
    return s + ".v80";
}

IoResult saveVideoRam(const Machine& machine, const std::string& screenshotPath) {
    return writeFileAtomic(videoRamFileName(screenshotPath),
                           machine.memory().subspan(0x3C00, kVideoRamFileSize));
}

IoResult dumpMemory(const Machine& machine, const std::string& path) {
    return writeFileAtomic(path, machine.memory().first(kMemoryDumpSize));
}

}  // namespace kestrel
