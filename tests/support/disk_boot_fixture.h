// A JV1 disk whose boot sector exercises the controller the way a disk system
// does: seek, read a sector, show its text through 0033h, write it back changed.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrel::test {

constexpr size_t kJv1Sectors = 10;
constexpr size_t kJv1SectorSize = 256;
// What track 1 sector 1 holds, zero-terminated; the boot sector shows it.
constexpr std::string_view kDiskBootText = "BOOTED FROM DISK";

constexpr size_t jv1Offset(size_t track, size_t sector) { return (track * kJv1Sectors + sector) * kJv1SectorSize; }

// Track 0 sector 0, run at 4200h with SP set by the firmware. Buffer at 4300h.
// The controller is waited on by polling only: interrupts stay off.
inline constexpr std::array<uint8_t, 0x5D> kDiskBootSector = {
    0x00,              // 4200  NOP            disk systems start 00 FE dir-track
    0xFE, 0x11,        // 4201  CP 11h         byte 2: the directory track
    0x3E, 0x01,        // 4203  LD A,1
    0x32, 0xEF, 0x37,  // 4205  LD (37EFh),A   data register: the track to seek
    0x3E, 0x10,        // 4208  LD A,10h       seek
    0x32, 0xEC, 0x37,  // 420A  LD (37ECh),A
    0x3A, 0xEC, 0x37,  // 420D  LD A,(37ECh)   wait while busy
    0x0F,              // 4210  RRCA
    0x38, 0xFA,        // 4211  JR C,420Dh
    0x3E, 0x01,        // 4213  LD A,1
    0x32, 0xEE, 0x37,  // 4215  LD (37EEh),A   sector 1
    0x3E, 0x88,        // 4218  LD A,88h       read sector
    0x32, 0xEC, 0x37,  // 421A  LD (37ECh),A
    0x21, 0x00, 0x43,  // 421D  LD HL,4300h
    0x3A, 0xEC, 0x37,  // 4220  LD A,(37ECh)   wait for data request
    0xE6, 0x02,        // 4223  AND 02h
    0x28, 0xF9,        // 4225  JR Z,4220h
    0x3A, 0xEF, 0x37,  // 4227  LD A,(37EFh)
    0x77,              // 422A  LD (HL),A
    0x2C,              // 422B  INC L
    0x20, 0xF2,        // 422C  JR NZ,4220h    256 bytes
    0x21, 0x00, 0x43,  // 422E  LD HL,4300h
    0x7E,              // 4231  LD A,(HL)      show the text up to its 00h
    0xB7,              // 4232  OR A
    0x28, 0x06,        // 4233  JR Z,423Bh
    0xCD, 0x33, 0x00,  // 4235  CALL 0033h     keeps HL
    0x23,              // 4238  INC HL
    0x18, 0xF6,        // 4239  JR 4231h
    0x3E, 0x2A,        // 423B  LD A,'*'
    0x32, 0x00, 0x43,  // 423D  LD (4300h),A
    0x3E, 0x02,        // 4240  LD A,2
    0x32, 0xEE, 0x37,  // 4242  LD (37EEh),A   sector 2
    0x3E, 0xA8,        // 4245  LD A,0A8h      write sector
    0x32, 0xEC, 0x37,  // 4247  LD (37ECh),A
    0x21, 0x00, 0x43,  // 424A  LD HL,4300h
    0x3A, 0xEC, 0x37,  // 424D  LD A,(37ECh)   wait for data request
    0xE6, 0x02,        // 4250  AND 02h
    0x28, 0xF9,        // 4252  JR Z,424Dh
    0x7E,              // 4254  LD A,(HL)
    0x32, 0xEF, 0x37,  // 4255  LD (37EFh),A
    0x2C,              // 4258  INC L
    0x20, 0xF2,        // 4259  JR NZ,424Dh    256 bytes
    0x18, 0xFE,        // 425B  JR $
};
// Where the boot sector ends up once it has done everything.
inline constexpr uint16_t kDiskBootDoneAt = 0x425B;

// The whole image: the boot sector above, the text at track 1 sector 1.
inline std::vector<uint8_t> diskBootImage() {
    std::vector<uint8_t> image(40 * kJv1Sectors * kJv1SectorSize, 0);  // 40 tracks
    std::copy(kDiskBootSector.begin(), kDiskBootSector.end(), image.begin());
    std::copy(kDiskBootText.begin(), kDiskBootText.end(), image.begin() + jv1Offset(1, 1));
    return image;
}

}  // namespace kestrel::test
