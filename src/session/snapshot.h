// Files that freeze parts of the machine: the HTS snapshot (registers and the
// memory from 0x2FFF to 0xEFFE), the V80 video-RAM file written beside a
// screenshot, and "memdump.bin" with the whole address space.
//
// All of them are read and written in one go on the emulation thread. Nothing
// here keeps state between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/file_io.h"

namespace kestrel {

class Machine;

inline constexpr std::size_t kSnapshotSize = 49702;
inline constexpr uint16_t kSnapshotMemoryStart = 0x2FFF;
inline constexpr std::size_t kSnapshotMemorySize = 49152;
inline constexpr std::size_t kSnapshotMemoryOffset = 38;
inline constexpr std::size_t kVideoRamFileSize = 1024;
inline constexpr std::size_t kMemoryDumpSize = 65535;

// The whole snapshot record of the machine as it stands. Reads ports 0x00,
// 0x40, 0x80 and 0xC0 (in that order) through the bus, as the file records them.
std::vector<uint8_t> buildSnapshot(Machine& machine);

// Puts a snapshot record of exactly kSnapshotSize bytes into the machine; the
// magic is not checked. False (and nothing changed) for any other size.
bool applySnapshot(Machine& machine, const std::vector<uint8_t>& record);

// The file written whole, or the reason it was not (an older file of that name is kept).
IoResult saveSnapshot(Machine& machine, const std::string& path);

// The snapshot loaded, or the reason it was not: anything but a regular file
// of exactly kSnapshotSize bytes is refused before anything changes.
IoResult loadSnapshot(Machine& machine, const std::string& path);

// The V80 name that goes with a screenshot file name: "shot0001.gif" gives
// "shot0001.v80", "shot" gives "shot.v80".
std::string videoRamFileName(const std::string& screenshotPath);

// Writes the 1024 bytes of video RAM (0x3C00-0x3FFF) beside the screenshot.
IoResult saveVideoRam(const Machine& machine, const std::string& screenshotPath);

// Writes the 65535 bytes 0x0000-0xFFFE as stored (not as read through the device
// windows). A failed write leaves any older file of that name as it was.
inline constexpr const char* kMemoryDumpFile = "memdump.bin";
IoResult dumpMemory(const Machine& machine, const std::string& path = kMemoryDumpFile);

}  // namespace kestrel
