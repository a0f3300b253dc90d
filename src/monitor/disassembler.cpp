#include "monitor/disassembler.h"

#include <cstdio>

namespace kestrel {
namespace {

// Seven pages of 256 entries. Prefix entries have no format; their kind is the
// page for the next opcode byte.
constexpr OpcodeEntry kPages[kOpcodePageCount][256] = {
    // Page 0: CB op.
    {
        {"rlc b", 0},  // 00
        {"rlc c", 0},  // 01
        {"rlc d", 0},  // 02
        {"rlc e", 0},  // 03
        {"rlc h", 0},  // 04
        {"rlc l", 0},  // 05
        {"rlc (hl)", 0},  // 06
        {"rlc a", 0},  // 07
        {"rrc b", 0},  // 08
        {"rrc c", 0},  // 09
        {"rrc d", 0},  // 0A
        {"rrc e", 0},  // 0B
        {"rrc h", 0},  // 0C
        {"rrc l", 0},  // 0D
        {"rrc (hl)", 0},  // 0E
        {"rrc a", 0},  // 0F
        {"rl b", 0},  // 10
        {"rl c", 0},  // 11
        {"rl d", 0},  // 12
        {"rl e", 0},  // 13
        {"rl h", 0},  // 14
        {"rl l", 0},  // 15
        {"rl (hl)", 0},  // 16
        {"rl a", 0},  // 17
        {"rr b", 0},  // 18
        {"rr c", 0},  // 19
        {"rr d", 0},  // 1A
        {"rr e", 0},  // 1B
        {"rr h", 0},  // 1C
        {"rr l", 0},  // 1D
        {"rr (hl)", 0},  // 1E
        {"rr a", 0},  // 1F
        {"sla b", 0},  // 20
        {"sla c", 0},  // 21
        {"sla d", 0},  // 22
        {"sla e", 0},  // 23
        {"sla h", 0},  // 24
        {"sla l", 0},  // 25
        {"sla (hl)", 0},  // 26
        {"sla a", 0},  // 27
        {"sra b", 0},  // 28
        {"sra c", 0},  // 29
        {"sra d", 0},  // 2A
        {"sra e", 0},  // 2B
        {"sra h", 0},  // 2C
        {"sra l", 0},  // 2D
        {"sra (hl)", 0},  // 2E
        {"sra a", 0},  // 2F
        {"slia b", 0},  // 30
        {"slia c", 0},  // 31
        {"slia d", 0},  // 32
        {"slia e", 0},  // 33
        {"slia h", 0},  // 34
        {"slia l", 0},  // 35
        {"slia (hl)", 0},  // 36
        {"slia a", 0},  // 37
        {"srl b", 0},  // 38
        {"srl c", 0},  // 39
        {"srl d", 0},  // 3A
        {"srl e", 0},  // 3B
        {"srl h", 0},  // 3C
        {"srl l", 0},  // 3D
        {"srl (hl)", 0},  // 3E
        {"srl a", 0},  // 3F
        {"bit 0,b", 0},  // 40
        {"bit 0,c", 0},  // 41
        {"bit 0,d", 0},  // 42
        {"bit 0,e", 0},  // 43
        {"bit 0,h", 0},  // 44
        {"bit 0,l", 0},  // 45
        {"bit 0,(hl)", 0},  // 46
        {"bit 0,a", 0},  // 47
        {"bit 1,b", 0},  // 48
        {"bit 1,c", 0},  // 49
        {"bit 1,d", 0},  // 4A
        {"bit 1,e", 0},  // 4B
        {"bit 1,h", 0},  // 4C
        {"bit 1,l", 0},  // 4D
        {"bit 1,(hl)", 0},  // 4E
        {"bit 1,a", 0},  // 4F
        {"bit 2,b", 0},  // 50
        {"bit 2,c", 0},  // 51
        {"bit 2,d", 0},  // 52
        {"bit 2,e", 0},  // 53
        {"bit 2,h", 0},  // 54
        {"bit 2,l", 0},  // 55
        {"bit 2,(hl)", 0},  // 56
        {"bit 2,a", 0},  // 57
        {"bit 3,b", 0},  // 58
        {"bit 3,c", 0},  // 59
        {"bit 3,d", 0},  // 5A
        {"bit 3,e", 0},  // 5B
        {"bit 3,h", 0},  // 5C
        {"bit 3,l", 0},  // 5D
        {"bit 3,(hl)", 0},  // 5E
        {"bit 3,a", 0},  // 5F
        {"bit 4,b", 0},  // 60
        {"bit 4,c", 0},  // 61
        {"bit 4,d", 0},  // 62
        {"bit 4,e", 0},  // 63
        {"bit 4,h", 0},  // 64
        {"bit 4,l", 0},  // 65
        {"bit 4,(hl)", 0},  // 66
        {"bit 4,a", 0},  // 67
        {"bit 5,b", 0},  // 68
        {"bit 5,c", 0},  // 69
        {"bit 5,d", 0},  // 6A
        {"bit 5,e", 0},  // 6B
        {"bit 5,h", 0},  // 6C
        {"bit 5,l", 0},  // 6D
        {"bit 5,(hl)", 0},  // 6E
        {"bit 5,a", 0},  // 6F
        {"bit 6,b", 0},  // 70
        {"bit 6,c", 0},  // 71
        {"bit 6,d", 0},  // 72
        {"bit 6,e", 0},  // 73
        {"bit 6,h", 0},  // 74
        {"bit 6,l", 0},  // 75
        {"bit 6,(hl)", 0},  // 76
        {"bit 6,a", 0},  // 77
        {"bit 7,b", 0},  // 78
        {"bit 7,c", 0},  // 79
        {"bit 7,d", 0},  // 7A
        {"bit 7,e", 0},  // 7B
        {"bit 7,h", 0},  // 7C
        {"bit 7,l", 0},  // 7D
        {"bit 7,(hl)", 0},  // 7E
        {"bit 7,a", 0},  // 7F
        {"res 0,b", 0},  // 80
        {"res 0,c", 0},  // 81
        {"res 0,d", 0},  // 82
        {"res 0,e", 0},  // 83
        {"res 0,h", 0},  // 84
        {"res 0,l", 0},  // 85
        {"res 0,(hl)", 0},  // 86
        {"res 0,a", 0},  // 87
        {"res 1,b", 0},  // 88
        {"res 1,c", 0},  // 89
        {"res 1,d", 0},  // 8A
        {"res 1,e", 0},  // 8B
        {"res 1,h", 0},  // 8C
        {"res 1,l", 0},  // 8D
        {"res 1,(hl)", 0},  // 8E
        {"res 1,a", 0},  // 8F
        {"res 2,b", 0},  // 90
        {"res 2,c", 0},  // 91
        {"res 2,d", 0},  // 92
        {"res 2,e", 0},  // 93
        {"res 2,h", 0},  // 94
        {"res 2,l", 0},  // 95
        {"res 2,(hl)", 0},  // 96
        {"res 2,a", 0},  // 97
        {"res 3,b", 0},  // 98
        {"res 3,c", 0},  // 99
        {"res 3,d", 0},  // 9A
        {"res 3,e", 0},  // 9B
        {"res 3,h", 0},  // 9C
        {"res 3,l", 0},  // 9D
        {"res 3,(hl)", 0},  // 9E
        {"res 3,a", 0},  // 9F
        {"res 4,b", 0},  // A0
        {"res 4,c", 0},  // A1
        {"res 4,d", 0},  // A2
        {"res 4,e", 0},  // A3
        {"res 4,h", 0},  // A4
        {"res 4,l", 0},  // A5
        {"res 4,(hl)", 0},  // A6
        {"res 4,a", 0},  // A7
        {"res 5,b", 0},  // A8
        {"res 5,c", 0},  // A9
        {"res 5,d", 0},  // AA
        {"res 5,e", 0},  // AB
        {"res 5,h", 0},  // AC
        {"res 5,l", 0},  // AD
        {"res 5,(hl)", 0},  // AE
        {"res 5,a", 0},  // AF
        {"res 6,b", 0},  // B0
        {"res 6,c", 0},  // B1
        {"res 6,d", 0},  // B2
        {"res 6,e", 0},  // B3
        {"res 6,h", 0},  // B4
        {"res 6,l", 0},  // B5
        {"res 6,(hl)", 0},  // B6
        {"res 6,a", 0},  // B7
        {"res 7,b", 0},  // B8
        {"res 7,c", 0},  // B9
        {"res 7,d", 0},  // BA
        {"res 7,e", 0},  // BB
        {"res 7,h", 0},  // BC
        {"res 7,l", 0},  // BD
        {"res 7,(hl)", 0},  // BE
        {"res 7,a", 0},  // BF
        {"set 0,b", 0},  // C0
        {"set 0,c", 0},  // C1
        {"set 0,d", 0},  // C2
        {"set 0,e", 0},  // C3
        {"set 0,h", 0},  // C4
        {"set 0,l", 0},  // C5
        {"set 0,(hl)", 0},  // C6
        {"set 0,a", 0},  // C7
        {"set 1,b", 0},  // C8
        {"set 1,c", 0},  // C9
        {"set 1,d", 0},  // CA
        {"set 1,e", 0},  // CB
        {"set 1,h", 0},  // CC
        {"set 1,l", 0},  // CD
        {"set 1,(hl)", 0},  // CE
        {"set 1,a", 0},  // CF
        {"set 2,b", 0},  // D0
        {"set 2,c", 0},  // D1
        {"set 2,d", 0},  // D2
        {"set 2,e", 0},  // D3
        {"set 2,h", 0},  // D4
        {"set 2,l", 0},  // D5
        {"set 2,(hl)", 0},  // D6
        {"set 2,a", 0},  // D7
        {"set 3,b", 0},  // D8
        {"set 3,c", 0},  // D9
        {"set 3,d", 0},  // DA
        {"set 3,e", 0},  // DB
        {"set 3,h", 0},  // DC
        {"set 3,l", 0},  // DD
        {"set 3,(hl)", 0},  // DE
        {"set 3,a", 0},  // DF
        {"set 4,b", 0},  // E0
        {"set 4,c", 0},  // E1
        {"set 4,d", 0},  // E2
        {"set 4,e", 0},  // E3
        {"set 4,h", 0},  // E4
        {"set 4,l", 0},  // E5
        {"set 4,(hl)", 0},  // E6
        {"set 4,a", 0},  // E7
        {"set 5,b", 0},  // E8
        {"set 5,c", 0},  // E9
        {"set 5,d", 0},  // EA
        {"set 5,e", 0},  // EB
        {"set 5,h", 0},  // EC
        {"set 5,l", 0},  // ED
        {"set 5,(hl)", 0},  // EE
        {"set 5,a", 0},  // EF
        {"set 6,b", 0},  // F0
        {"set 6,c", 0},  // F1
        {"set 6,d", 0},  // F2
        {"set 6,e", 0},  // F3
        {"set 6,h", 0},  // F4
        {"set 6,l", 0},  // F5
        {"set 6,(hl)", 0},  // F6
        {"set 6,a", 0},  // F7
        {"set 7,b", 0},  // F8
        {"set 7,c", 0},  // F9
        {"set 7,d", 0},  // FA
        {"set 7,e", 0},  // FB
        {"set 7,h", 0},  // FC
        {"set 7,l", 0},  // FD
        {"set 7,(hl)", 0},  // FE
        {"set 7,a", 0},  // FF
    },
    // Page 1: DD op.
    {
        {"undefined", 255},  // 00
        {"undefined", 255},  // 01
        {"undefined", 255},  // 02
        {"undefined", 255},  // 03
        {"undefined", 255},  // 04
        {"undefined", 255},  // 05
        {"undefined", 255},  // 06
        {"undefined", 255},  // 07
        {"undefined", 255},  // 08
        {"add ix,bc", 0},  // 09
        {"undefined", 255},  // 0A
        {"undefined", 255},  // 0B
        {"undefined", 255},  // 0C
        {"undefined", 255},  // 0D
        {"undefined", 255},  // 0E
        {"undefined", 255},  // 0F
        {"undefined", 255},  // 10
        {"undefined", 255},  // 11
        {"undefined", 255},  // 12
        {"undefined", 255},  // 13
        {"undefined", 255},  // 14
        {"undefined", 255},  // 15
        {"undefined", 255},  // 16
        {"undefined", 255},  // 17
        {"undefined", 255},  // 18
        {"add ix,de", 0},  // 19
        {"undefined", 255},  // 1A
        {"undefined", 255},  // 1B
        {"undefined", 255},  // 1C
        {"undefined", 255},  // 1D
        {"undefined", 255},  // 1E
        {"undefined", 255},  // 1F
        {"undefined", 255},  // 20
        {"ld ix,%02x%02xh", 2},  // 21
        {"ld (%02x%02xh),ix", 2},  // 22
        {"inc ix", 0},  // 23
        {"inc ixh", 0},  // 24
        {"dec ixh", 0},  // 25
        {"ld ixh,%02xh", 1},  // 26
        {"undefined", 255},  // 27
        {"undefined", 255},  // 28
        {"add ix,ix", 0},  // 29
        {"ld ix,(%02x%02xh)", 2},  // 2A
        {"dec ix", 0},  // 2B
        {"inc ixl", 0},  // 2C
        {"dec ixl", 0},  // 2D
        {"ld ixl,%02xh", 1},  // 2E
        {"undefined", 255},  // 2F
        {"undefined", 255},  // 30
        {"undefined", 255},  // 31
        {"undefined", 255},  // 32
        {"undefined", 255},  // 33
        {"inc (ix+%02xh)", 1},  // 34
        {"dec (ix+%02xh)", 1},  // 35
        {"ld (ix+%02xh),%02xh", 258},  // 36
        {"undefined", 255},  // 37
        {"undefined", 255},  // 38
        {"add ix,sp", 0},  // 39
        {"undefined", 255},  // 3A
        {"undefined", 255},  // 3B
        {"undefined", 255},  // 3C
        {"undefined", 255},  // 3D
        {"undefined", 255},  // 3E
        {"undefined", 255},  // 3F
        {"undefined", 255},  // 40
        {"undefined", 255},  // 41
        {"undefined", 255},  // 42
        {"undefined", 255},  // 43
        {"ld b,ixh", 0},  // 44
        {"ld b,ixl", 0},  // 45
        {"ld b,(ix+%02xh)", 1},  // 46
        {"undefined", 255},  // 47
        {"undefined", 255},  // 48
        {"undefined", 255},  // 49
        {"undefined", 255},  // 4A
        {"undefined", 255},  // 4B
        {"ld c,ixh", 0},  // 4C
        {"ld c,ixl", 0},  // 4D
        {"ld c,(ix+%02xh)", 1},  // 4E
        {"undefined", 255},  // 4F
        {"undefined", 255},  // 50
        {"undefined", 255},  // 51
        {"undefined", 255},  // 52
        {"undefined", 255},  // 53
        {"ld d,ixh", 0},  // 54
        {"ld d,ixl", 0},  // 55
        {"ld d,(ix+%02xh)", 1},  // 56
        {"undefined", 255},  // 57
        {"undefined", 255},  // 58
        {"undefined", 255},  // 59
        {"undefined", 255},  // 5A
        {"undefined", 255},  // 5B
        {"ld e,ixh", 0},  // 5C
        {"ld e,ixl", 0},  // 5D
        {"ld e,(ix+%02xh)", 1},  // 5E
        {"undefined", 255},  // 5F
        {"ld ixh,b", 0},  // 60
        {"ld ixh,c", 0},  // 61
        {"ld ixh,d", 0},  // 62
        {"ld ixh,e", 0},  // 63
        {"ld ixh,ixh", 0},  // 64
        {"ld ixh,ixl", 0},  // 65
        {"ld h,(ix+%02xh)", 1},  // 66
        {"ld ixh,a", 0},  // 67
        {"ld ixl,b", 0},  // 68
        {"ld ixl,c", 0},  // 69
        {"ld ixl,d", 0},  // 6A
        {"ld ixl,e", 0},  // 6B
        {"ld ixl,ixh", 0},  // 6C
        {"ld ixl,ixl", 0},  // 6D
        {"ld l,(ix+%02xh)", 1},  // 6E
        {"ld ixl,a", 0},  // 6F
        {"ld (ix+%02xh),b", 1},  // 70
        {"ld (ix+%02xh),c", 1},  // 71
        {"ld (ix+%02xh),d", 1},  // 72
        {"ld (ix+%02xh),e", 1},  // 73
        {"ld (ix+%02xh),h", 1},  // 74
        {"ld (ix+%02xh),l", 1},  // 75
        {"undefined", 255},  // 76
        {"ld (ix+%02xh),a", 1},  // 77
        {"undefined", 255},  // 78
        {"undefined", 255},  // 79
        {"undefined", 255},  // 7A
        {"undefined", 255},  // 7B
        {"ld a,ixh", 0},  // 7C
        {"ld a,ixl", 0},  // 7D
        {"ld a,(ix+%02xh)", 1},  // 7E
        {"undefined", 255},  // 7F
        {"undefined", 255},  // 80
        {"undefined", 255},  // 81
        {"undefined", 255},  // 82
        {"undefined", 255},  // 83
        {"add a,ixh", 0},  // 84
        {"add a,ixl", 0},  // 85
        {"add a,(ix+%02xh)", 1},  // 86
        {"undefined", 255},  // 87
        {"undefined", 255},  // 88
        {"undefined", 255},  // 89
        {"undefined", 255},  // 8A
        {"undefined", 255},  // 8B
        {"adc a,ixh", 0},  // 8C
        {"adc a,ixl", 0},  // 8D
        {"adc a,(ix+%02xh)", 1},  // 8E
        {"undefined", 255},  // 8F
        {"undefined", 255},  // 90
        {"undefined", 255},  // 91
        {"undefined", 255},  // 92
        {"undefined", 255},  // 93
        {"sub ixh", 0},  // 94
        {"sub ixl", 0},  // 95
        {"sub (ix+%02xh)", 1},  // 96
        {"undefined", 255},  // 97
        {"undefined", 255},  // 98
        {"undefined", 255},  // 99
        {"undefined", 255},  // 9A
        {"undefined", 255},  // 9B
        {"sbc ixh", 0},  // 9C
        {"sbc ixl", 0},  // 9D
        {"sbc a,(ix+%02xh)", 1},  // 9E
        {"undefined", 255},  // 9F
        {"undefined", 255},  // A0
        {"undefined", 255},  // A1
        {"undefined", 255},  // A2
        {"undefined", 255},  // A3
        {"and ixh", 0},  // A4
        {"and ixl", 0},  // A5
        {"and (ix+%02xh)", 1},  // A6
        {"undefined", 255},  // A7
        {"undefined", 255},  // A8
        {"undefined", 255},  // A9
        {"undefined", 255},  // AA
        {"undefined", 255},  // AB
        {"xor ixh", 0},  // AC
        {"xor ixl", 0},  // AD
        {"xor (ix+%02xh)", 1},  // AE
        {"undefined", 255},  // AF
        {"undefined", 255},  // B0
        {"undefined", 255},  // B1
        {"undefined", 255},  // B2
        {"undefined", 255},  // B3
        {"or ixh", 0},  // B4
        {"or ixl", 0},  // B5
        {"or (ix+%02xh)", 1},  // B6
        {"undefined", 255},  // B7
        {"undefined", 255},  // B8
        {"undefined", 255},  // B9
        {"undefined", 255},  // BA
        {"undefined", 255},  // BB
        {"cp ixh", 0},  // BC
        {"cp ixl", 0},  // BD
        {"cp (ix+%02xh)", 1},  // BE
        {"undefined", 255},  // BF
        {"undefined", 255},  // C0
        {"undefined", 255},  // C1
        {"undefined", 255},  // C2
        {"undefined", 255},  // C3
        {"undefined", 255},  // C4
        {"undefined", 255},  // C5
        {"undefined", 255},  // C6
        {"undefined", 255},  // C7
        {"undefined", 255},  // C8
        {"undefined", 255},  // C9
        {"undefined", 255},  // CA
        {nullptr, 4},  // CB
        {"undefined", 255},  // CC
        {"undefined", 255},  // CD
        {"undefined", 255},  // CE
        {"undefined", 255},  // CF
        {"undefined", 255},  // D0
        {"undefined", 255},  // D1
        {"undefined", 255},  // D2
        {"undefined", 255},  // D3
        {"undefined", 255},  // D4
        {"undefined", 255},  // D5
        {"undefined", 255},  // D6
        {"undefined", 255},  // D7
        {"undefined", 255},  // D8
        {"undefined", 255},  // D9
        {"undefined", 255},  // DA
        {"undefined", 255},  // DB
        {"undefined", 255},  // DC
        {"undefined", 255},  // DD
        {"undefined", 255},  // DE
        {"undefined", 255},  // DF
        {"undefined", 255},  // E0
        {"pop ix", 0},  // E1
        {"undefined", 255},  // E2
        {"ex (sp),ix", 0},  // E3
        {"undefined", 255},  // E4
        {"push ix", 0},  // E5
        {"undefined", 255},  // E6
        {"undefined", 255},  // E7
        {"undefined", 255},  // E8
        {"jp (ix)", 0},  // E9
        {"undefined", 255},  // EA
        {"undefined", 255},  // EB
        {"undefined", 255},  // EC
        {"undefined", 255},  // ED
        {"undefined", 255},  // EE
        {"undefined", 255},  // EF
        {"undefined", 255},  // F0
        {"undefined", 255},  // F1
        {"undefined", 255},  // F2
        {"undefined", 255},  // F3
        {"undefined", 255},  // F4
        {"undefined", 255},  // F5
        {"undefined", 255},  // F6
        {"undefined", 255},  // F7
        {"undefined", 255},  // F8
        {"ld sp,ix", 0},  // F9
        {"undefined", 255},  // FA
        {"undefined", 255},  // FB
        {"undefined", 255},  // FC
        {"undefined", 255},  // FD
        {"undefined", 255},  // FE
        {"undefined", 255},  // FF
    },
    // Page 2: ED op.
    {
        {"emulator trap", 0},  // 00
        {"emulator trap", 0},  // 01
        {"emulator trap", 0},  // 02
        {"emulator trap", 0},  // 03
        {"emulator trap", 0},  // 04
        {"emulator trap", 0},  // 05
        {"emulator trap", 0},  // 06
        {"undefined", 0},  // 07
        {"undefined", 0},  // 08
        {"undefined", 0},  // 09
        {"undefined", 0},  // 0A
        {"undefined", 0},  // 0B
        {"undefined", 0},  // 0C
        {"undefined", 0},  // 0D
        {"undefined", 0},  // 0E
        {"undefined", 0},  // 0F
        {"undefined", 0},  // 10
        {"undefined", 0},  // 11
        {"undefined", 0},  // 12
        {"undefined", 0},  // 13
        {"undefined", 0},  // 14
        {"undefined", 0},  // 15
        {"undefined", 0},  // 16
        {"undefined", 0},  // 17
        {"undefined", 0},  // 18
        {"undefined", 0},  // 19
        {"undefined", 0},  // 1A
        {"undefined", 0},  // 1B
        {"undefined", 0},  // 1C
        {"undefined", 0},  // 1D
        {"undefined", 0},  // 1E
        {"undefined", 0},  // 1F
        {"undefined", 0},  // 20
        {"undefined", 0},  // 21
        {"undefined", 0},  // 22
        {"undefined", 0},  // 23
        {"undefined", 0},  // 24
        {"undefined", 0},  // 25
        {"undefined", 0},  // 26
        {"undefined", 0},  // 27
        {"emt_system", 0},  // 28
        {"emt_mouse", 0},  // 29
        {"emt_getdir", 0},  // 2A
        {"emt_setdir", 0},  // 2B
        {"undefined", 0},  // 2C
        {"undefined", 0},  // 2D
        {"undefined", 0},  // 2E
        {"emt_debug", 0},  // 2F
        {"emt_open", 0},  // 30
        {"emt_close", 0},  // 31
        {"emt_read", 0},  // 32
        {"emt_write", 0},  // 33
        {"emt_lseek", 0},  // 34
        {"emt_strerror", 0},  // 35
        {"emt_time", 0},  // 36
        {"emt_opendir", 0},  // 37
        {"emt_closedir", 0},  // 38
        {"emt_readdir", 0},  // 39
        {"emt_chdir", 0},  // 3A
        {"emt_getcwd", 0},  // 3B
        {"emt_misc", 0},  // 3C
        {"emt_ftruncate", 0},  // 3D
        {"emt_opendisk", 0},  // 3E
        {"emt_closedisk", 0},  // 3F
        {"in b,(c)", 0},  // 40
        {"out (c),b", 0},  // 41
        {"sbc hl,bc", 0},  // 42
        {"ld (%02x%02xh),bc", 2},  // 43
        {"neg", 0},  // 44
        {"retn", 0},  // 45
        {"im 0", 0},  // 46
        {"ld i,a", 0},  // 47
        {"in c,(c)", 0},  // 48
        {"out (c),c", 0},  // 49
        {"adc hl,bc", 0},  // 4A
        {"ld bc,(%02x%02xh)", 2},  // 4B
        {"neg\t\t\t;undoc equiv", 0},  // 4C
        {"reti", 0},  // 4D
        {"undefined", 0},  // 4E
        {"ld r,a", 0},  // 4F
        {"in d,(c)", 0},  // 50
        {"out (c),d", 0},  // 51
        {"sbc hl,de", 0},  // 52
        {"ld (%02x%02xh),de", 2},  // 53
        {"neg\t\t\t;undoc equiv", 0},  // 54
        {"ret\t\t\t;undoc equiv", 0},  // 55
        {"im 1", 0},  // 56
        {"ld a,i", 0},  // 57
        {"in e,(c)", 0},  // 58
        {"out (c),e", 0},  // 59
        {"adc hl,de", 0},  // 5A
        {"ld de,(%02x%02xh)", 2},  // 5B
        {"neg\t\t\t;undoc equiv", 0},  // 5C
        {"ret\t\t\t;undoc equiv", 0},  // 5D
        {"im 2", 0},  // 5E
        {"ld a,r", 0},  // 5F
        {"in h,(c)", 0},  // 60
        {"out (c),h", 0},  // 61
        {"sbc hl,hl", 0},  // 62
        {"ld (%02x%02xh),hl\t;undoc equiv", 2},  // 63
        {"neg\t\t\t;undoc equiv", 0},  // 64
        {"ret\t\t\t;undoc equiv", 0},  // 65
        {"im\t0\t\t;undoc equiv", 0},  // 66
        {"rrd", 0},  // 67
        {"in l,(c)", 0},  // 68
        {"out (c),l", 0},  // 69
        {"adc hl,hl", 0},  // 6A
        {"ld hl,(%02x%02xh)\t;undoc equiv", 2},  // 6B
        {"neg\t\t\t;undoc equiv", 0},  // 6C
        {"ret\t\t\t;undoc equiv", 0},  // 6D
        {"undefined", 0},  // 6E
        {"rld", 0},  // 6F
        {"in (c)", 0},  // 70
        {"out (c),0", 0},  // 71
        {"sbc hl,sp", 0},  // 72
        {"ld (%02x%02xh),sp", 2},  // 73
        {"neg\t\t\t;undoc equiv", 0},  // 74
        {"ret\t\t\t;undoc equiv", 0},  // 75
        {"im\t1\t\t;undoc equiv", 0},  // 76
        {"undefined", 0},  // 77
        {"in a,(c)", 0},  // 78
        {"out (c),a", 0},  // 79
        {"adc hl,sp", 0},  // 7A
        {"ld sp,(%02x%02xh)", 2},  // 7B
        {"neg\t\t\t;undoc equiv", 0},  // 7C
        {"ret\t\t\t;undoc equiv", 0},  // 7D
        {"im\t2\t\t;undoc equiv", 0},  // 7E
        {"undefined", 0},  // 7F
        {"undefined", 0},  // 80
        {"undefined", 0},  // 81
        {"undefined", 0},  // 82
        {"undefined", 0},  // 83
        {"undefined", 0},  // 84
        {"undefined", 0},  // 85
        {"undefined", 0},  // 86
        {"undefined", 0},  // 87
        {"undefined", 0},  // 88
        {"undefined", 0},  // 89
        {"undefined", 0},  // 8A
        {"undefined", 0},  // 8B
        {"undefined", 0},  // 8C
        {"undefined", 0},  // 8D
        {"undefined", 0},  // 8E
        {"undefined", 0},  // 8F
        {"undefined", 0},  // 90
        {"undefined", 0},  // 91
        {"undefined", 0},  // 92
        {"undefined", 0},  // 93
        {"undefined", 0},  // 94
        {"undefined", 0},  // 95
        {"undefined", 0},  // 96
        {"undefined", 0},  // 97
        {"undefined", 0},  // 98
        {"undefined", 0},  // 99
        {"undefined", 0},  // 9A
        {"undefined", 0},  // 9B
        {"undefined", 0},  // 9C
        {"undefined", 0},  // 9D
        {"undefined", 0},  // 9E
        {"undefined", 0},  // 9F
        {"ldi", 0},  // A0
        {"cpi", 0},  // A1
        {"ini", 0},  // A2
        {"outi", 0},  // A3
        {"undefined", 0},  // A4
        {"undefined", 0},  // A5
        {"undefined", 0},  // A6
        {"undefined", 0},  // A7
        {"ldd", 0},  // A8
        {"cpd", 0},  // A9
        {"ind", 0},  // AA
        {"outd", 0},  // AB
        {"undefined", 0},  // AC
        {"undefined", 0},  // AD
        {"undefined", 0},  // AE
        {"undefined", 0},  // AF
        {"ldir", 0},  // B0
        {"cpir", 0},  // B1
        {"inir", 0},  // B2
        {"otir", 0},  // B3
        {"undefined", 0},  // B4
        {"undefined", 0},  // B5
        {"undefined", 0},  // B6
        {"undefined", 0},  // B7
        {"lddr", 0},  // B8
        {"cpdr", 0},  // B9
        {"indr", 0},  // BA
        {"otdr", 0},  // BB
        {"undefined", 0},  // BC
        {"undefined", 0},  // BD
        {"undefined", 0},  // BE
        {"undefined", 0},  // BF
        {"undefined", 0},  // C0
        {"undefined", 0},  // C1
        {"undefined", 0},  // C2
        {"undefined", 0},  // C3
        {"undefined", 0},  // C4
        {"undefined", 0},  // C5
        {"undefined", 0},  // C6
        {"undefined", 0},  // C7
        {"undefined", 0},  // C8
        {"undefined", 0},  // C9
        {"undefined", 0},  // CA
        {"undefined", 0},  // CB
        {"undefined", 0},  // CC
        {"undefined", 0},  // CD
        {"undefined", 0},  // CE
        {"undefined", 0},  // CF
        {"undefined", 0},  // D0
        {"undefined", 0},  // D1
        {"undefined", 0},  // D2
        {"undefined", 0},  // D3
        {"undefined", 0},  // D4
        {"undefined", 0},  // D5
        {"undefined", 0},  // D6
        {"undefined", 0},  // D7
        {"undefined", 0},  // D8
        {"undefined", 0},  // D9
        {"undefined", 0},  // DA
        {"undefined", 0},  // DB
        {"undefined", 0},  // DC
        {"undefined", 0},  // DD
        {"undefined", 0},  // DE
        {"undefined", 0},  // DF
        {"undefined", 0},  // E0
        {"undefined", 0},  // E1
        {"undefined", 0},  // E2
        {"undefined", 0},  // E3
        {"undefined", 0},  // E4
        {"undefined", 0},  // E5
        {"undefined", 0},  // E6
        {"undefined", 0},  // E7
        {"undefined", 0},  // E8
        {"undefined", 0},  // E9
        {"undefined", 0},  // EA
        {"undefined", 0},  // EB
        {"undefined", 0},  // EC
        {"undefined", 0},  // ED
        {"undefined", 0},  // EE
        {"undefined", 0},  // EF
        {"undefined", 0},  // F0
        {"undefined", 0},  // F1
        {"undefined", 0},  // F2
        {"undefined", 0},  // F3
        {"undefined", 0},  // F4
        {"undefined", 0},  // F5
        {"undefined", 0},  // F6
        {"undefined", 0},  // F7
        {"undefined", 0},  // F8
        {"undefined", 0},  // F9
        {"undefined", 0},  // FA
        {"undefined", 0},  // FB
        {"undefined", 0},  // FC
        {"undefined", 0},  // FD
        {"undefined", 0},  // FE
        {"undefined", 0},  // FF
    },
    // Page 3: FD op.
    {
        {"undefined", 255},  // 00
        {"undefined", 255},  // 01
        {"undefined", 255},  // 02
        {"undefined", 255},  // 03
        {"undefined", 255},  // 04
        {"undefined", 255},  // 05
        {"undefined", 255},  // 06
        {"undefined", 255},  // 07
        {"undefined", 255},  // 08
        {"add iy,bc", 0},  // 09
        {"undefined", 255},  // 0A
        {"undefined", 255},  // 0B
        {"undefined", 255},  // 0C
        {"undefined", 255},  // 0D
        {"undefined", 255},  // 0E
        {"undefined", 255},  // 0F
        {"undefined", 255},  // 10
        {"undefined", 255},  // 11
        {"undefined", 255},  // 12
        {"undefined", 255},  // 13
        {"undefined", 255},  // 14
        {"undefined", 255},  // 15
        {"undefined", 255},  // 16
        {"undefined", 255},  // 17
        {"undefined", 255},  // 18
        {"add iy,de", 0},  // 19
        {"undefined", 255},  // 1A
        {"undefined", 255},  // 1B
        {"undefined", 255},  // 1C
        {"undefined", 255},  // 1D
        {"undefined", 255},  // 1E
        {"undefined", 255},  // 1F
        {"undefined", 255},  // 20
        {"ld iy,%02x%02xh", 2},  // 21
        {"ld (%02x%02xh),iy", 2},  // 22
        {"inc iy", 0},  // 23
        {"undefined", 255},  // 24
        {"undefined", 255},  // 25
        {"undefined", 255},  // 26
        {"undefined", 255},  // 27
        {"undefined", 255},  // 28
        {"add iy,iy", 0},  // 29
        {"ld iy,(%02x%02xh)", 2},  // 2A
        {"dec iy", 0},  // 2B
        {"undefined", 255},  // 2C
        {"undefined", 255},  // 2D
        {"undefined", 255},  // 2E
        {"undefined", 255},  // 2F
        {"undefined", 255},  // 30
        {"undefined", 255},  // 31
        {"undefined", 255},  // 32
        {"undefined", 255},  // 33
        {"inc (iy+%02xh)", 1},  // 34
        {"dec (iy+%02xh)", 1},  // 35
        {"ld (iy+%02xh),%02xh", 258},  // 36
        {"undefined", 255},  // 37
        {"undefined", 255},  // 38
        {"add iy,sp", 0},  // 39
        {"undefined", 255},  // 3A
        {"undefined", 255},  // 3B
        {"undefined", 255},  // 3C
        {"undefined", 255},  // 3D
        {"undefined", 255},  // 3E
        {"undefined", 255},  // 3F
        {"undefined", 255},  // 40
        {"undefined", 255},  // 41
        {"undefined", 255},  // 42
        {"undefined", 255},  // 43
        {"undefined", 255},  // 44
        {"undefined", 255},  // 45
        {"ld b,(iy+%02xh)", 1},  // 46
        {"undefined", 255},  // 47
        {"undefined", 255},  // 48
        {"undefined", 255},  // 49
        {"undefined", 255},  // 4A
        {"undefined", 255},  // 4B
        {"undefined", 255},  // 4C
        {"undefined", 255},  // 4D
        {"ld c,(iy+%02xh)", 1},  // 4E
        {"undefined", 255},  // 4F
        {"undefined", 255},  // 50
        {"undefined", 255},  // 51
        {"undefined", 255},  // 52
        {"undefined", 255},  // 53
        {"undefined", 255},  // 54
        {"undefined", 255},  // 55
        {"ld d,(iy+%02xh)", 1},  // 56
        {"undefined", 255},  // 57
        {"undefined", 255},  // 58
        {"undefined", 255},  // 59
        {"undefined", 255},  // 5A
        {"undefined", 255},  // 5B
        {"undefined", 255},  // 5C
        {"undefined", 255},  // 5D
        {"ld e,(iy+%02xh)", 1},  // 5E
        {"undefined", 255},  // 5F
        {"undefined", 255},  // 60
        {"undefined", 255},  // 61
        {"undefined", 255},  // 62
        {"undefined", 255},  // 63
        {"undefined", 255},  // 64
        {"undefined", 255},  // 65
        {"ld h,(iy+%02xh)", 1},  // 66
        {"undefined", 255},  // 67
        {"undefined", 255},  // 68
        {"undefined", 255},  // 69
        {"undefined", 255},  // 6A
        {"undefined", 255},  // 6B
        {"undefined", 255},  // 6C
        {"undefined", 255},  // 6D
        {"ld l,(iy+%02xh)", 1},  // 6E
        {"undefined", 255},  // 6F
        {"ld (iy+%02xh),b", 1},  // 70
        {"ld (iy+%02xh),c", 1},  // 71
        {"ld (iy+%02xh),d", 1},  // 72
        {"ld (iy+%02xh),e", 1},  // 73
        {"ld (iy+%02xh),h", 1},  // 74
        {"ld (iy+%02xh),l", 1},  // 75
        {"undefined", 255},  // 76
        {"ld (iy+%02xh),a", 1},  // 77
        {"undefined", 255},  // 78
        {"undefined", 255},  // 79
        {"undefined", 255},  // 7A
        {"undefined", 255},  // 7B
        {"undefined", 255},  // 7C
        {"undefined", 255},  // 7D
        {"ld a,(iy+%02xh)", 1},  // 7E
        {"undefined", 255},  // 7F
        {"undefined", 255},  // 80
        {"undefined", 255},  // 81
        {"undefined", 255},  // 82
        {"undefined", 255},  // 83
        {"undefined", 255},  // 84
        {"undefined", 255},  // 85
        {"add a,(iy+%02xh)", 1},  // 86
        {"undefined", 255},  // 87
        {"undefined", 255},  // 88
        {"undefined", 255},  // 89
        {"undefined", 255},  // 8A
        {"undefined", 255},  // 8B
        {"undefined", 255},  // 8C
        {"undefined", 255},  // 8D
        {"adc a,(iy+%02xh)", 1},  // 8E
        {"undefined", 255},  // 8F
        {"undefined", 255},  // 90
        {"undefined", 255},  // 91
        {"undefined", 255},  // 92
        {"undefined", 255},  // 93
        {"undefined", 255},  // 94
        {"undefined", 255},  // 95
        {"sub (iy+%02xh)", 1},  // 96
        {"undefined", 255},  // 97
        {"undefined", 255},  // 98
        {"undefined", 255},  // 99
        {"undefined", 255},  // 9A
        {"undefined", 255},  // 9B
        {"undefined", 255},  // 9C
        {"undefined", 255},  // 9D
        {"sbc a,(iy+%02xh)", 1},  // 9E
        {"undefined", 255},  // 9F
        {"undefined", 255},  // A0
        {"undefined", 255},  // A1
        {"undefined", 255},  // A2
        {"undefined", 255},  // A3
        {"undefined", 255},  // A4
        {"undefined", 255},  // A5
        {"and (iy+%02xh)", 1},  // A6
        {"undefined", 255},  // A7
        {"undefined", 255},  // A8
        {"undefined", 255},  // A9
        {"undefined", 255},  // AA
        {"undefined", 255},  // AB
        {"undefined", 255},  // AC
        {"undefined", 255},  // AD
        {"xor (iy+%02xh)", 1},  // AE
        {"undefined", 255},  // AF
        {"undefined", 255},  // B0
        {"undefined", 255},  // B1
        {"undefined", 255},  // B2
        {"undefined", 255},  // B3
        {"undefined", 255},  // B4
        {"undefined", 255},  // B5
        {"or (iy+%02xh)", 1},  // B6
        {"undefined", 255},  // B7
        {"undefined", 255},  // B8
        {"undefined", 255},  // B9
        {"undefined", 255},  // BA
        {"undefined", 255},  // BB
        {"undefined", 255},  // BC
        {"undefined", 255},  // BD
        {"cp (iy+%02xh)", 1},  // BE
        {"undefined", 255},  // BF
        {"undefined", 255},  // C0
        {"undefined", 255},  // C1
        {"undefined", 255},  // C2
        {"undefined", 255},  // C3
        {"undefined", 255},  // C4
        {"undefined", 255},  // C5
        {"undefined", 255},  // C6
        {"undefined", 255},  // C7
        {"undefined", 255},  // C8
        {"undefined", 255},  // C9
        {"undefined", 255},  // CA
        {nullptr, 5},  // CB
        {"undefined", 255},  // CC
        {"undefined", 255},  // CD
        {"undefined", 255},  // CE
        {"undefined", 255},  // CF
        {"undefined", 255},  // D0
        {"undefined", 255},  // D1
        {"undefined", 255},  // D2
        {"undefined", 255},  // D3
        {"undefined", 255},  // D4
        {"undefined", 255},  // D5
        {"undefined", 255},  // D6
        {"undefined", 255},  // D7
        {"undefined", 255},  // D8
        {"undefined", 255},  // D9
        {"undefined", 255},  // DA
        {"undefined", 255},  // DB
        {"undefined", 255},  // DC
        {"undefined", 255},  // DD
        {"undefined", 255},  // DE
        {"undefined", 255},  // DF
        {"undefined", 255},  // E0
        {"pop iy", 0},  // E1
        {"undefined", 255},  // E2
        {"ex (sp),iy", 0},  // E3
        {"undefined", 255},  // E4
        {"push iy", 0},  // E5
        {"undefined", 255},  // E6
        {"undefined", 255},  // E7
        {"undefined", 255},  // E8
        {"jp (iy)", 0},  // E9
        {"undefined", 255},  // EA
        {"undefined", 255},  // EB
        {"undefined", 255},  // EC
        {"undefined", 255},  // ED
        {"undefined", 255},  // EE
        {"undefined", 255},  // EF
        {"undefined", 255},  // F0
        {"undefined", 255},  // F1
        {"undefined", 255},  // F2
        {"undefined", 255},  // F3
        {"undefined", 255},  // F4
        {"undefined", 255},  // F5
        {"undefined", 255},  // F6
        {"undefined", 255},  // F7
        {"undefined", 255},  // F8
        {"ld sp,iy", 0},  // F9
        {"undefined", 255},  // FA
        {"undefined", 255},  // FB
        {"undefined", 255},  // FC
        {"undefined", 255},  // FD
        {"undefined", 255},  // FE
        {"undefined", 255},  // FF
    },
    // Page 4: DD CB d op.
    {
        {"ld b,rlc (ix+%02xh)", 256},  // 00
        {"ld c,rlc (ix+%02xh)", 256},  // 01
        {"ld d,rlc (ix+%02xh)", 256},  // 02
        {"ld e,rlc (ix+%02xh)", 256},  // 03
        {"ld h,rlc (ix+%02xh)", 256},  // 04
        {"ld l,rlc (ix+%02xh)", 256},  // 05
        {"rlc (ix+%02xh)", 256},  // 06
        {"ld a,rlc (ix+%02xh)", 256},  // 07
        {"ld b,rrc (ix+%02xh)", 256},  // 08
        {"ld c,rrc (ix+%02xh)", 256},  // 09
        {"ld d,rrc (ix+%02xh)", 256},  // 0A
        {"ld e,rrc (ix+%02xh)", 256},  // 0B
        {"ld h,rrc (ix+%02xh)", 256},  // 0C
        {"ld l,rrc (ix+%02xh)", 256},  // 0D
        {"rrc (ix+%02xh)", 256},  // 0E
        {"ld a,rrc (ix+%02xh)", 256},  // 0F
        {"ld b,rl (ix+%02xh)", 256},  // 10
        {"ld c,rl (ix+%02xh)", 256},  // 11
        {"ld d,rl (ix+%02xh)", 256},  // 12
        {"ld e,rl (ix+%02xh)", 256},  // 13
        {"ld h,rl (ix+%02xh)", 256},  // 14
        {"ld l,rl (ix+%02xh)", 256},  // 15
        {"rl (ix+%02xh)", 256},  // 16
        {"ld a,rl (ix+%02xh)", 256},  // 17
        {"ld b,rr (ix+%02xh)", 256},  // 18
        {"ld c,rr (ix+%02xh)", 256},  // 19
        {"ld d,rr (ix+%02xh)", 256},  // 1A
        {"ld e,rr (ix+%02xh)", 256},  // 1B
        {"ld h,rr (ix+%02xh)", 256},  // 1C
        {"ld l,rr (ix+%02xh)", 256},  // 1D
        {"rr (ix+%02xh)", 256},  // 1E
        {"ld a,rr (ix+%02xh)", 256},  // 1F
        {"ld b,sla (ix+%02xh)", 256},  // 20
        {"ld c,sla (ix+%02xh)", 256},  // 21
        {"ld d,sla (ix+%02xh)", 256},  // 22
        {"ld e,sla (ix+%02xh)", 256},  // 23
        {"ld h,sla (ix+%02xh)", 256},  // 24
        {"ld l,sla (ix+%02xh)", 256},  // 25
        {"sla (ix+%02xh)", 256},  // 26
        {"ld a,sla (ix+%02xh)", 256},  // 27
        {"ld b,sra (ix+%02xh)", 256},  // 28
        {"ld c,sra (ix+%02xh)", 256},  // 29
        {"ld d,sra (ix+%02xh)", 256},  // 2A
        {"ld e,sra (ix+%02xh)", 256},  // 2B
        {"ld h,sra (ix+%02xh)", 256},  // 2C
        {"ld l,sra (ix+%02xh)", 256},  // 2D
        {"sra (ix+%02xh)", 256},  // 2E
        {"ld a,sra (ix+%02xh)", 256},  // 2F
        {"ld b,slia (ix+%02xh)", 256},  // 30
        {"ld c,slia (ix+%02xh)", 256},  // 31
        {"ld d,slia (ix+%02xh)", 256},  // 32
        {"ld e,slia (ix+%02xh)", 256},  // 33
        {"ld h,slia (ix+%02xh)", 256},  // 34
        {"ld l,slia (ix+%02xh)", 256},  // 35
        {"slia (ix+%02xh)", 256},  // 36
        {"ld a,slia (ix+%02xh)", 256},  // 37
        {"ld b,srl (ix+%02xh)", 256},  // 38
        {"ld c,srl (ix+%02xh)", 256},  // 39
        {"ld d,srl (ix+%02xh)", 256},  // 3A
        {"ld e,srl (ix+%02xh)", 256},  // 3B
        {"ld h,srl (ix+%02xh)", 256},  // 3C
        {"ld l,srl (ix+%02xh)", 256},  // 3D
        {"srl (ix+%02xh)", 256},  // 3E
        {"ld a,srl (ix+%02xh)", 256},  // 3F
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 40
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 41
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 42
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 43
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 44
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 45
        {"bit 0,(ix+%02xh)", 256},  // 46
        {"bit 0,(ix+%02xh)  ;undoc equiv", 256},  // 47
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 48
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 49
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 4A
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 4B
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 4C
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 4D
        {"bit 1,(ix+%02xh)", 256},  // 4E
        {"bit 1,(ix+%02xh)  ;undoc equiv", 256},  // 4F
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 50
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 51
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 52
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 53
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 54
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 55
        {"bit 2,(ix+%02xh)", 256},  // 56
        {"bit 2,(ix+%02xh)  ;undoc equiv", 256},  // 57
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 58
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 59
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 5A
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 5B
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 5C
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 5D
        {"bit 3,(ix+%02xh)", 256},  // 5E
        {"bit 3,(ix+%02xh)  ;undoc equiv", 256},  // 5F
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 60
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 61
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 62
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 63
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 64
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 65
        {"bit 4,(ix+%02xh)", 256},  // 66
        {"bit 4,(ix+%02xh)  ;undoc equiv", 256},  // 67
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 68
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 69
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 6A
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 6B
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 6C
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 6D
        {"bit 5,(ix+%02xh)", 256},  // 6E
        {"bit 5,(ix+%02xh)  ;undoc equiv", 256},  // 6F
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 70
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 71
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 72
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 73
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 74
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 75
        {"bit 6,(ix+%02xh)", 256},  // 76
        {"bit 6,(ix+%02xh)  ;undoc equiv", 256},  // 77
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 78
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 79
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 7A
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 7B
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 7C
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 7D
        {"bit 7,(ix+%02xh)", 256},  // 7E
        {"bit 7,(ix+%02xh)  ;undoc equiv", 256},  // 7F
        {"ld b,res 0,(ix+%02xh)", 256},  // 80
        {"ld c,res 0,(ix+%02xh)", 256},  // 81
        {"ld d,res 0,(ix+%02xh)", 256},  // 82
        {"ld e,res 0,(ix+%02xh)", 256},  // 83
        {"ld h,res 0,(ix+%02xh)", 256},  // 84
        {"ld l,res 0,(ix+%02xh)", 256},  // 85
        {"res 0,(ix+%02xh)", 256},  // 86
        {"ld a,res 0,(ix+%02xh)", 256},  // 87
        {"ld b,res 1,(ix+%02xh)", 256},  // 88
        {"ld c,res 1,(ix+%02xh)", 256},  // 89
        {"ld d,res 1,(ix+%02xh)", 256},  // 8A
        {"ld e,res 1,(ix+%02xh)", 256},  // 8B
        {"ld h,res 1,(ix+%02xh)", 256},  // 8C
        {"ld l,res 1,(ix+%02xh)", 256},  // 8D
        {"res 1,(ix+%02xh)", 256},  // 8E
        {"ld a,res 1,(ix+%02xh)", 256},  // 8F
        {"ld b,res 2,(ix+%02xh)", 256},  // 90
        {"ld c,res 2,(ix+%02xh)", 256},  // 91
        {"ld d,res 2,(ix+%02xh)", 256},  // 92
        {"ld e,res 2,(ix+%02xh)", 256},  // 93
        {"ld h,res 2,(ix+%02xh)", 256},  // 94
        {"ld l,res 2,(ix+%02xh)", 256},  // 95
        {"res 2,(ix+%02xh)", 256},  // 96
        {"ld a,res 2,(ix+%02xh)", 256},  // 97
        {"ld b,res 3,(ix+%02xh)", 256},  // 98
        {"ld c,res 3,(ix+%02xh)", 256},  // 99
        {"ld d,res 3,(ix+%02xh)", 256},  // 9A
        {"ld e,res 3,(ix+%02xh)", 256},  // 9B
        {"ld h,res 3,(ix+%02xh)", 256},  // 9C
        {"ld l,res 3,(ix+%02xh)", 256},  // 9D
        {"res 3,(ix+%02xh)", 256},  // 9E
        {"ld a,res 3,(ix+%02xh)", 256},  // 9F
        {"ld b,res 4,(ix+%02xh)", 256},  // A0
        {"ld c,res 4,(ix+%02xh)", 256},  // A1
        {"ld d,res 4,(ix+%02xh)", 256},  // A2
        {"ld e,res 4,(ix+%02xh)", 256},  // A3
        {"ld h,res 4,(ix+%02xh)", 256},  // A4
        {"ld l,res 4,(ix+%02xh)", 256},  // A5
        {"res 4,(ix+%02xh)", 256},  // A6
        {"ld a,res 4,(ix+%02xh)", 256},  // A7
        {"ld b,res 5,(ix+%02xh)", 256},  // A8
        {"ld c,res 5,(ix+%02xh)", 256},  // A9
        {"ld d,res 5,(ix+%02xh)", 256},  // AA
        {"ld e,res 5,(ix+%02xh)", 256},  // AB
        {"ld h,res 5,(ix+%02xh)", 256},  // AC
        {"ld l,res 5,(ix+%02xh)", 256},  // AD
        {"res 5,(ix+%02xh)", 256},  // AE
        {"ld a,res 5,(ix+%02xh)", 256},  // AF
        {"ld b,res 6,(ix+%02xh)", 256},  // B0
        {"ld c,res 6,(ix+%02xh)", 256},  // B1
        {"ld d,res 6,(ix+%02xh)", 256},  // B2
        {"ld e,res 6,(ix+%02xh)", 256},  // B3
        {"ld h,res 6,(ix+%02xh)", 256},  // B4
        {"ld l,res 6,(ix+%02xh)", 256},  // B5
        {"res 6,(ix+%02xh)", 256},  // B6
        {"ld a,res 6,(ix+%02xh)", 256},  // B7
        {"ld b,res 7,(ix+%02xh)", 256},  // B8
        {"ld c,res 7,(ix+%02xh)", 256},  // B9
        {"ld d,res 7,(ix+%02xh)", 256},  // BA
        {"ld e,res 7,(ix+%02xh)", 256},  // BB
        {"ld h,res 7,(ix+%02xh)", 256},  // BC
        {"ld l,res 7,(ix+%02xh)", 256},  // BD
        {"res 7,(ix+%02xh)", 256},  // BE
        {"ld a,res 7,(ix+%02xh)", 256},  // BF
        {"ld b,set 0,(ix+%02xh)", 256},  // C0
        {"ld c,set 0,(ix+%02xh)", 256},  // C1
        {"ld d,set 0,(ix+%02xh)", 256},  // C2
        {"ld e,set 0,(ix+%02xh)", 256},  // C3
        {"ld h,set 0,(ix+%02xh)", 256},  // C4
        {"ld l,set 0,(ix+%02xh)", 256},  // C5
        {"set 0,(ix+%02xh)", 256},  // C6
        {"ld a,set 0,(ix+%02xh)", 256},  // C7
        {"ld b,set 1,(ix+%02xh)", 256},  // C8
        {"ld c,set 1,(ix+%02xh)", 256},  // C9
        {"ld d,set 1,(ix+%02xh)", 256},  // CA
        {"ld e,set 1,(ix+%02xh)", 256},  // CB
        {"ld h,set 1,(ix+%02xh)", 256},  // CC
        {"ld l,set 1,(ix+%02xh)", 256},  // CD
        {"set 1,(ix+%02xh)", 256},  // CE
        {"ld a,set 1,(ix+%02xh)", 256},  // CF
        {"ld b,set 2,(ix+%02xh)", 256},  // D0
        {"ld c,set 2,(ix+%02xh)", 256},  // D1
        {"ld d,set 2,(ix+%02xh)", 256},  // D2
        {"ld e,set 2,(ix+%02xh)", 256},  // D3
        {"ld h,set 2,(ix+%02xh)", 256},  // D4
        {"ld l,set 2,(ix+%02xh)", 256},  // D5
        {"set 2,(ix+%02xh)", 256},  // D6
        {"ld a,set 2,(ix+%02xh)", 256},  // D7
        {"ld b,set 3,(ix+%02xh)", 256},  // D8
        {"ld c,set 3,(ix+%02xh)", 256},  // D9
        {"ld d,set 3,(ix+%02xh)", 256},  // DA
        {"ld e,set 3,(ix+%02xh)", 256},  // DB
        {"ld h,set 3,(ix+%02xh)", 256},  // DC
        {"ld l,set 3,(ix+%02xh)", 256},  // DD
        {"set 3,(ix+%02xh)", 256},  // DE
        {"ld a,set 3,(ix+%02xh)", 256},  // DF
        {"ld b,set 4,(ix+%02xh)", 256},  // E0
        {"ld c,set 4,(ix+%02xh)", 256},  // E1
        {"ld d,set 4,(ix+%02xh)", 256},  // E2
        {"ld e,set 4,(ix+%02xh)", 256},  // E3
        {"ld h,set 4,(ix+%02xh)", 256},  // E4
        {"ld l,set 4,(ix+%02xh)", 256},  // E5
        {"set 4,(ix+%02xh)", 256},  // E6
        {"ld a,set 4,(ix+%02xh)", 256},  // E7
        {"ld b,set 5,(ix+%02xh)", 256},  // E8
        {"ld c,set 5,(ix+%02xh)", 256},  // E9
        {"ld d,set 5,(ix+%02xh)", 256},  // EA
        {"ld e,set 5,(ix+%02xh)", 256},  // EB
        {"ld h,set 5,(ix+%02xh)", 256},  // EC
        {"ld l,set 5,(ix+%02xh)", 256},  // ED
        {"set 5,(ix+%02xh)", 256},  // EE
        {"ld a,set 5,(ix+%02xh)", 256},  // EF
        {"ld b,set 6,(ix+%02xh)", 256},  // F0
        {"ld c,set 6,(ix+%02xh)", 256},  // F1
        {"ld d,set 6,(ix+%02xh)", 256},  // F2
        {"ld e,set 6,(ix+%02xh)", 256},  // F3
        {"ld h,set 6,(ix+%02xh)", 256},  // F4
        {"ld l,set 6,(ix+%02xh)", 256},  // F5
        {"set 6,(ix+%02xh)", 256},  // F6
        {"ld a,set 6,(ix+%02xh)", 256},  // F7
        {"ld b,set 7,(ix+%02xh)", 256},  // F8
        {"ld c,set 7,(ix+%02xh)", 256},  // F9
        {"ld d,set 7,(ix+%02xh)", 256},  // FA
        {"ld e,set 7,(ix+%02xh)", 256},  // FB
        {"ld h,set 7,(ix+%02xh)", 256},  // FC
        {"ld l,set 7,(ix+%02xh)", 256},  // FD
        {"set 7,(ix+%02xh)", 256},  // FE
        {"ld a,set 7,(ix+%02xh)", 256},  // FF
    },
    // Page 5: FD CB d op.
    {
        {"ld b,rlc (iy+%02xh)", 256},  // 00
        {"ld c,rlc (iy+%02xh)", 256},  // 01
        {"ld d,rlc (iy+%02xh)", 256},  // 02
        {"ld e,rlc (iy+%02xh)", 256},  // 03
        {"ld h,rlc (iy+%02xh)", 256},  // 04
        {"ld l,rlc (iy+%02xh)", 256},  // 05
        {"rlc (iy+%02xh)", 256},  // 06
        {"ld a,rlc (iy+%02xh)", 256},  // 07
        {"ld b,rrc (iy+%02xh)", 256},  // 08
        {"ld c,rrc (iy+%02xh)", 256},  // 09
        {"ld d,rrc (iy+%02xh)", 256},  // 0A
        {"ld e,rrc (iy+%02xh)", 256},  // 0B
        {"ld h,rrc (iy+%02xh)", 256},  // 0C
        {"ld l,rrc (iy+%02xh)", 256},  // 0D
        {"rrc (iy+%02xh)", 256},  // 0E
        {"ld a,rrc (iy+%02xh)", 256},  // 0F
        {"ld b,rl (iy+%02xh)", 256},  // 10
        {"ld c,rl (iy+%02xh)", 256},  // 11
        {"ld d,rl (iy+%02xh)", 256},  // 12
        {"ld e,rl (iy+%02xh)", 256},  // 13
        {"ld h,rl (iy+%02xh)", 256},  // 14
        {"ld l,rl (iy+%02xh)", 256},  // 15
        {"rl (iy+%02xh)", 256},  // 16
        {"ld a,rl (iy+%02xh)", 256},  // 17
        {"ld b,rr (iy+%02xh)", 256},  // 18
        {"ld c,rr (iy+%02xh)", 256},  // 19
        {"ld d,rr (iy+%02xh)", 256},  // 1A
        {"ld e,rr (iy+%02xh)", 256},  // 1B
        {"ld h,rr (iy+%02xh)", 256},  // 1C
        {"ld l,rr (iy+%02xh)", 256},  // 1D
        {"rr (iy+%02xh)", 256},  // 1E
        {"ld a,rr (iy+%02xh)", 256},  // 1F
        {"ld b,sla (iy+%02xh)", 256},  // 20
        {"ld c,sla (iy+%02xh)", 256},  // 21
        {"ld d,sla (iy+%02xh)", 256},  // 22
        {"ld e,sla (iy+%02xh)", 256},  // 23
        {"ld h,sla (iy+%02xh)", 256},  // 24
        {"ld l,sla (iy+%02xh)", 256},  // 25
        {"sla (iy+%02xh)", 256},  // 26
        {"ld a,sla (iy+%02xh)", 256},  // 27
        {"ld b,sra (iy+%02xh)", 256},  // 28
        {"ld c,sra (iy+%02xh)", 256},  // 29
        {"ld d,sra (iy+%02xh)", 256},  // 2A
        {"ld e,sra (iy+%02xh)", 256},  // 2B
        {"ld h,sra (iy+%02xh)", 256},  // 2C
        {"ld l,sra (iy+%02xh)", 256},  // 2D
        {"sra (iy+%02xh)", 256},  // 2E
        {"ld a,sra (iy+%02xh)", 256},  // 2F
        {"ld b,slia (iy+%02xh)", 256},  // 30
        {"ld c,slia (iy+%02xh)", 256},  // 31
        {"ld d,slia (iy+%02xh)", 256},  // 32
        {"ld e,slia (iy+%02xh)", 256},  // 33
        {"ld h,slia (iy+%02xh)", 256},  // 34
        {"ld l,slia (iy+%02xh)", 256},  // 35
        {"slia (iy+%02xh)", 256},  // 36
        {"ld a,slia (iy+%02xh)", 256},  // 37
        {"ld b,srl (iy+%02xh)", 256},  // 38
        {"ld c,srl (iy+%02xh)", 256},  // 39
        {"ld d,srl (iy+%02xh)", 256},  // 3A
        {"ld e,srl (iy+%02xh)", 256},  // 3B
        {"ld h,srl (iy+%02xh)", 256},  // 3C
        {"ld l,srl (iy+%02xh)", 256},  // 3D
        {"srl (iy+%02xh)", 256},  // 3E
        {"ld a,srl (iy+%02xh)", 256},  // 3F
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 40
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 41
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 42
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 43
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 44
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 45
        {"bit 0,(iy+%02xh)", 256},  // 46
        {"bit 0,(iy+%02xh)  ;undoc equiv", 256},  // 47
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 48
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 49
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 4A
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 4B
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 4C
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 4D
        {"bit 1,(iy+%02xh)", 256},  // 4E
        {"bit 1,(iy+%02xh)  ;undoc equiv", 256},  // 4F
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 50
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 51
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 52
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 53
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 54
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 55
        {"bit 2,(iy+%02xh)", 256},  // 56
        {"bit 2,(iy+%02xh)  ;undoc equiv", 256},  // 57
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 58
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 59
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 5A
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 5B
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 5C
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 5D
        {"bit 3,(iy+%02xh)", 256},  // 5E
        {"bit 3,(iy+%02xh)  ;undoc equiv", 256},  // 5F
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 60
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 61
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 62
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 63
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 64
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 65
        {"bit 4,(iy+%02xh)", 256},  // 66
        {"bit 4,(iy+%02xh)  ;undoc equiv", 256},  // 67
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 68
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 69
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 6A
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 6B
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 6C
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 6D
        {"bit 5,(iy+%02xh)", 256},  // 6E
        {"bit 5,(iy+%02xh)  ;undoc equiv", 256},  // 6F
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 70
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 71
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 72
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 73
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 74
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 75
        {"bit 6,(iy+%02xh)", 256},  // 76
        {"bit 6,(iy+%02xh)  ;undoc equiv", 256},  // 77
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 78
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 79
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 7A
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 7B
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 7C
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 7D
        {"bit 7,(iy+%02xh)", 256},  // 7E
        {"bit 7,(iy+%02xh)  ;undoc equiv", 256},  // 7F
        {"ld b,res 0,(iy+%02xh)", 256},  // 80
        {"ld c,res 0,(iy+%02xh)", 256},  // 81
        {"ld d,res 0,(iy+%02xh)", 256},  // 82
        {"ld e,res 0,(iy+%02xh)", 256},  // 83
        {"ld h,res 0,(iy+%02xh)", 256},  // 84
        {"ld l,res 0,(iy+%02xh)", 256},  // 85
        {"res 0,(iy+%02xh)", 256},  // 86
        {"ld a,res 0,(iy+%02xh)", 256},  // 87
        {"ld b,res 1,(iy+%02xh)", 256},  // 88
        {"ld c,res 1,(iy+%02xh)", 256},  // 89
        {"ld d,res 1,(iy+%02xh)", 256},  // 8A
        {"ld e,res 1,(iy+%02xh)", 256},  // 8B
        {"ld h,res 1,(iy+%02xh)", 256},  // 8C
        {"ld l,res 1,(iy+%02xh)", 256},  // 8D
        {"res 1,(iy+%02xh)", 256},  // 8E
        {"ld a,res 1,(iy+%02xh)", 256},  // 8F
        {"ld b,res 2,(iy+%02xh)", 256},  // 90
        {"ld c,res 2,(iy+%02xh)", 256},  // 91
        {"ld d,res 2,(iy+%02xh)", 256},  // 92
        {"ld e,res 2,(iy+%02xh)", 256},  // 93
        {"ld h,res 2,(iy+%02xh)", 256},  // 94
        {"ld l,res 2,(iy+%02xh)", 256},  // 95
        {"res 2,(iy+%02xh)", 256},  // 96
        {"ld a,res 2,(iy+%02xh)", 256},  // 97
        {"ld b,res 3,(iy+%02xh)", 256},  // 98
        {"ld c,res 3,(iy+%02xh)", 256},  // 99
        {"ld d,res 3,(iy+%02xh)", 256},  // 9A
        {"ld e,res 3,(iy+%02xh)", 256},  // 9B
        {"ld h,res 3,(iy+%02xh)", 256},  // 9C
        {"ld l,res 3,(iy+%02xh)", 256},  // 9D
        {"res 3,(iy+%02xh)", 256},  // 9E
        {"ld a,res 3,(iy+%02xh)", 256},  // 9F
        {"ld b,res 4,(iy+%02xh)", 256},  // A0
        {"ld c,res 4,(iy+%02xh)", 256},  // A1
        {"ld d,res 4,(iy+%02xh)", 256},  // A2
        {"ld e,res 4,(iy+%02xh)", 256},  // A3
        {"ld h,res 4,(iy+%02xh)", 256},  // A4
        {"ld l,res 4,(iy+%02xh)", 256},  // A5
        {"res 4,(iy+%02xh)", 256},  // A6
        {"ld a,res 4,(iy+%02xh)", 256},  // A7
        {"ld b,res 5,(iy+%02xh)", 256},  // A8
        {"ld c,res 5,(iy+%02xh)", 256},  // A9
        {"ld d,res 5,(iy+%02xh)", 256},  // AA
        {"ld e,res 5,(iy+%02xh)", 256},  // AB
        {"ld h,res 5,(iy+%02xh)", 256},  // AC
        {"ld l,res 5,(iy+%02xh)", 256},  // AD
        {"res 5,(iy+%02xh)", 256},  // AE
        {"ld a,res 5,(iy+%02xh)", 256},  // AF
        {"ld b,res 6,(iy+%02xh)", 256},  // B0
        {"ld c,res 6,(iy+%02xh)", 256},  // B1
        {"ld d,res 6,(iy+%02xh)", 256},  // B2
        {"ld e,res 6,(iy+%02xh)", 256},  // B3
        {"ld h,res 6,(iy+%02xh)", 256},  // B4
        {"ld l,res 6,(iy+%02xh)", 256},  // B5
        {"res 6,(iy+%02xh)", 256},  // B6
        {"ld a,res 6,(iy+%02xh)", 256},  // B7
        {"ld b,res 7,(iy+%02xh)", 256},  // B8
        {"ld c,res 7,(iy+%02xh)", 256},  // B9
        {"ld d,res 7,(iy+%02xh)", 256},  // BA
        {"ld e,res 7,(iy+%02xh)", 256},  // BB
        {"ld h,res 7,(iy+%02xh)", 256},  // BC
        {"ld l,res 7,(iy+%02xh)", 256},  // BD
        {"res 7,(iy+%02xh)", 256},  // BE
        {"ld a,res 7,(iy+%02xh)", 256},  // BF
        {"ld b,set 0,(iy+%02xh)", 256},  // C0
        {"ld c,set 0,(iy+%02xh)", 256},  // C1
        {"ld d,set 0,(iy+%02xh)", 256},  // C2
        {"ld e,set 0,(iy+%02xh)", 256},  // C3
        {"ld h,set 0,(iy+%02xh)", 256},  // C4
        {"ld l,set 0,(iy+%02xh)", 256},  // C5
        {"set 0,(iy+%02xh)", 256},  // C6
        {"ld a,set 0,(iy+%02xh)", 256},  // C7
        {"ld b,set 1,(iy+%02xh)", 256},  // C8
        {"ld c,set 1,(iy+%02xh)", 256},  // C9
        {"ld d,set 1,(iy+%02xh)", 256},  // CA
        {"ld e,set 1,(iy+%02xh)", 256},  // CB
        {"ld h,set 1,(iy+%02xh)", 256},  // CC
        {"ld l,set 1,(iy+%02xh)", 256},  // CD
        {"set 1,(iy+%02xh)", 256},  // CE
        {"ld a,set 1,(iy+%02xh)", 256},  // CF
        {"ld b,set 2,(iy+%02xh)", 256},  // D0
        {"ld c,set 2,(iy+%02xh)", 256},  // D1
        {"ld d,set 2,(iy+%02xh)", 256},  // D2
        {"ld e,set 2,(iy+%02xh)", 256},  // D3
        {"ld h,set 2,(iy+%02xh)", 256},  // D4
        {"ld l,set 2,(iy+%02xh)", 256},  // D5
        {"set 2,(iy+%02xh)", 256},  // D6
        {"ld a,set 2,(iy+%02xh)", 256},  // D7
        {"ld b,set 3,(iy+%02xh)", 256},  // D8
        {"ld c,set 3,(iy+%02xh)", 256},  // D9
        {"ld d,set 3,(iy+%02xh)", 256},  // DA
        {"ld e,set 3,(iy+%02xh)", 256},  // DB
        {"ld h,set 3,(iy+%02xh)", 256},  // DC
        {"ld l,set 3,(iy+%02xh)", 256},  // DD
        {"set 3,(iy+%02xh)", 256},  // DE
        {"ld a,set 3,(iy+%02xh)", 256},  // DF
        {"ld b,set 4,(iy+%02xh)", 256},  // E0
        {"ld c,set 4,(iy+%02xh)", 256},  // E1
        {"ld d,set 4,(iy+%02xh)", 256},  // E2
        {"ld e,set 4,(iy+%02xh)", 256},  // E3
        {"ld h,set 4,(iy+%02xh)", 256},  // E4
        {"ld l,set 4,(iy+%02xh)", 256},  // E5
        {"set 4,(iy+%02xh)", 256},  // E6
        {"ld a,set 4,(iy+%02xh)", 256},  // E7
        {"ld b,set 5,(iy+%02xh)", 256},  // E8
        {"ld c,set 5,(iy+%02xh)", 256},  // E9
        {"ld d,set 5,(iy+%02xh)", 256},  // EA
        {"ld e,set 5,(iy+%02xh)", 256},  // EB
        {"ld h,set 5,(iy+%02xh)", 256},  // EC
        {"ld l,set 5,(iy+%02xh)", 256},  // ED
        {"set 5,(iy+%02xh)", 256},  // EE
        {"ld a,set 5,(iy+%02xh)", 256},  // EF
        {"ld b,set 6,(iy+%02xh)", 256},  // F0
        {"ld c,set 6,(iy+%02xh)", 256},  // F1
        {"ld d,set 6,(iy+%02xh)", 256},  // F2
        {"ld e,set 6,(iy+%02xh)", 256},  // F3
        {"ld h,set 6,(iy+%02xh)", 256},  // F4
        {"ld l,set 6,(iy+%02xh)", 256},  // F5
        {"set 6,(iy+%02xh)", 256},  // F6
        {"ld a,set 6,(iy+%02xh)", 256},  // F7
        {"ld b,set 7,(iy+%02xh)", 256},  // F8
        {"ld c,set 7,(iy+%02xh)", 256},  // F9
        {"ld d,set 7,(iy+%02xh)", 256},  // FA
        {"ld e,set 7,(iy+%02xh)", 256},  // FB
        {"ld h,set 7,(iy+%02xh)", 256},  // FC
        {"ld l,set 7,(iy+%02xh)", 256},  // FD
        {"set 7,(iy+%02xh)", 256},  // FE
        {"ld a,set 7,(iy+%02xh)", 256},  // FF
    },
    // Page 6: unprefixed.
    {
        {"nop", 0},  // 00
        {"ld bc,%02x%02xh", 2},  // 01
        {"ld (bc),a", 0},  // 02
        {"inc bc", 0},  // 03
        {"inc b", 0},  // 04
        {"dec b", 0},  // 05
        {"ld b,%02xh", 1},  // 06
        {"rlca", 0},  // 07
        {"ex af,af'", 0},  // 08
        {"add hl,bc", 0},  // 09
        {"ld a,(bc)", 0},  // 0A
        {"dec bc", 0},  // 0B
        {"inc c", 0},  // 0C
        {"dec c", 0},  // 0D
        {"ld c,%02xh", 1},  // 0E
        {"rrca", 0},  // 0F
        {"djnz %04xh", 257},  // 10
        {"ld de,%02x%02xh", 2},  // 11
        {"ld (de),a", 0},  // 12
        {"inc de", 0},  // 13
        {"inc d", 0},  // 14
        {"dec d", 0},  // 15
        {"ld d,%02xh", 1},  // 16
        {"rla", 0},  // 17
        {"jr %04xh", 257},  // 18
        {"add hl,de", 0},  // 19
        {"ld a,(de)", 0},  // 1A
        {"dec de", 0},  // 1B
        {"inc e", 0},  // 1C
        {"dec e", 0},  // 1D
        {"ld e,%02xh", 1},  // 1E
        {"rra", 0},  // 1F
        {"jr nz,%04xh", 257},  // 20
        {"ld hl,%02x%02xh", 2},  // 21
        {"ld (%02x%02xh),hl", 2},  // 22
        {"inc hl", 0},  // 23
        {"inc h", 0},  // 24
        {"dec h", 0},  // 25
        {"ld h,%02xh", 1},  // 26
        {"daa", 0},  // 27
        {"jr z,%04xh", 257},  // 28
        {"add hl,hl", 0},  // 29
        {"ld hl,(%02x%02xh)", 2},  // 2A
        {"dec hl", 0},  // 2B
        {"inc l", 0},  // 2C
        {"dec l", 0},  // 2D
        {"ld l,%02xh", 1},  // 2E
        {"cpl", 0},  // 2F
        {"jr nc,%04xh", 257},  // 30
        {"ld sp,%02x%02xh", 2},  // 31
        {"ld (%02x%02xh),a", 2},  // 32
        {"inc sp", 0},  // 33
        {"inc (hl)", 0},  // 34
        {"dec (hl)", 0},  // 35
        {"ld (hl),%02xh", 1},  // 36
        {"scf", 0},  // 37
        {"jr c,%04xh", 257},  // 38
        {"add hl,sp", 0},  // 39
        {"ld a,(%02x%02xh)", 2},  // 3A
        {"dec sp", 0},  // 3B
        {"inc a", 0},  // 3C
        {"dec a", 0},  // 3D
        {"ld a,%02xh", 1},  // 3E
        {"ccf", 0},  // 3F
        {"ld b,b", 0},  // 40
        {"ld b,c", 0},  // 41
        {"ld b,d", 0},  // 42
        {"ld b,e", 0},  // 43
        {"ld b,h", 0},  // 44
        {"ld b,l", 0},  // 45
        {"ld b,(hl)", 0},  // 46
        {"ld b,a", 0},  // 47
        {"ld c,b", 0},  // 48
        {"ld c,c", 0},  // 49
        {"ld c,d", 0},  // 4A
        {"ld c,e", 0},  // 4B
        {"ld c,h", 0},  // 4C
        {"ld c,l", 0},  // 4D
        {"ld c,(hl)", 0},  // 4E
        {"ld c,a", 0},  // 4F
        {"ld d,b", 0},  // 50
        {"ld d,c", 0},  // 51
        {"ld d,d", 0},  // 52
        {"ld d,e", 0},  // 53
        {"ld d,h", 0},  // 54
        {"ld d,l", 0},  // 55
        {"ld d,(hl)", 0},  // 56
        {"ld d,a", 0},  // 57
        {"ld e,b", 0},  // 58
        {"ld e,c", 0},  // 59
        {"ld e,d", 0},  // 5A
        {"ld e,e", 0},  // 5B
        {"ld e,h", 0},  // 5C
        {"ld e,l", 0},  // 5D
        {"ld e,(hl)", 0},  // 5E
        {"ld e,a", 0},  // 5F
        {"ld h,b", 0},  // 60
        {"ld h,c", 0},  // 61
        {"ld h,d", 0},  // 62
        {"ld h,e", 0},  // 63
        {"ld h,h", 0},  // 64
        {"ld h,l", 0},  // 65
        {"ld h,(hl)", 0},  // 66
        {"ld h,a", 0},  // 67
        {"ld l,b", 0},  // 68
        {"ld l,c", 0},  // 69
        {"ld l,d", 0},  // 6A
        {"ld l,e", 0},  // 6B
        {"ld l,h", 0},  // 6C
        {"ld l,l", 0},  // 6D
        {"ld l,(hl)", 0},  // 6E
        {"ld l,a", 0},  // 6F
        {"ld (hl),b", 0},  // 70
        {"ld (hl),c", 0},  // 71
        {"ld (hl),d", 0},  // 72
        {"ld (hl),e", 0},  // 73
        {"ld (hl),h", 0},  // 74
        {"ld (hl),l", 0},  // 75
        {"halt", 0},  // 76
        {"ld (hl),a", 0},  // 77
        {"ld a,b", 0},  // 78
        {"ld a,c", 0},  // 79
        {"ld a,d", 0},  // 7A
        {"ld a,e", 0},  // 7B
        {"ld a,h", 0},  // 7C
        {"ld a,l", 0},  // 7D
        {"ld a,(hl)", 0},  // 7E
        {"ld a,a", 0},  // 7F
        {"add a,b", 0},  // 80
        {"add a,c", 0},  // 81
        {"add a,d", 0},  // 82
        {"add a,e", 0},  // 83
        {"add a,h", 0},  // 84
        {"add a,l", 0},  // 85
        {"add a,(hl)", 0},  // 86
        {"add a,a", 0},  // 87
        {"adc a,b", 0},  // 88
        {"adc a,c", 0},  // 89
        {"adc a,d", 0},  // 8A
        {"adc a,e", 0},  // 8B
        {"adc a,h", 0},  // 8C
        {"adc a,l", 0},  // 8D
        {"adc a,(hl)", 0},  // 8E
        {"adc a,a", 0},  // 8F
        {"sub b", 0},  // 90
        {"sub c", 0},  // 91
        {"sub d", 0},  // 92
        {"sub e", 0},  // 93
        {"sub h", 0},  // 94
        {"sub l", 0},  // 95
        {"sub (hl)", 0},  // 96
        {"sub a", 0},  // 97
        {"sbc a,b", 0},  // 98
        {"sbc a,c", 0},  // 99
        {"sbc a,d", 0},  // 9A
        {"sbc a,e", 0},  // 9B
        {"sbc a,h", 0},  // 9C
        {"sbc a,l", 0},  // 9D
        {"sbc a,(hl)", 0},  // 9E
        {"sbc a,a", 0},  // 9F
        {"and b", 0},  // A0
        {"and c", 0},  // A1
        {"and d", 0},  // A2
        {"and e", 0},  // A3
        {"and h", 0},  // A4
        {"and l", 0},  // A5
        {"and (hl)", 0},  // A6
        {"and a", 0},  // A7
        {"xor b", 0},  // A8
        {"xor c", 0},  // A9
        {"xor d", 0},  // AA
        {"xor e", 0},  // AB
        {"xor h", 0},  // AC
        {"xor l", 0},  // AD
        {"xor (hl)", 0},  // AE
        {"xor a", 0},  // AF
        {"or b", 0},  // B0
        {"or c", 0},  // B1
        {"or d", 0},  // B2
        {"or e", 0},  // B3
        {"or h", 0},  // B4
        {"or l", 0},  // B5
        {"or (hl)", 0},  // B6
        {"or a", 0},  // B7
        {"cp b", 0},  // B8
        {"cp c", 0},  // B9
        {"cp d", 0},  // BA
        {"cp e", 0},  // BB
        {"cp h", 0},  // BC
        {"cp l", 0},  // BD
        {"cp (hl)", 0},  // BE
        {"cp a", 0},  // BF
        {"ret nz", 0},  // C0
        {"pop bc", 0},  // C1
        {"jp nz,%02x%02xh", 2},  // C2
        {"jp %02x%02xh", 2},  // C3
        {"call nz,%02x%02xh", 2},  // C4
        {"push bc", 0},  // C5
        {"add a,%02xh", 1},  // C6
        {"rst 0", 0},  // C7
        {"ret z", 0},  // C8
        {"ret", 0},  // C9
        {"jp z,%02x%02xh", 2},  // CA
        {nullptr, 0},  // CB
        {"call z,%02x%02xh", 2},  // CC
        {"call %02x%02xh", 2},  // CD
        {"adc a,%02xh", 1},  // CE
        {"rst 8", 0},  // CF
        {"ret nc", 0},  // D0
        {"pop de", 0},  // D1
        {"jp nc,%02x%02xh", 2},  // D2
        {"out (%02xh),a", 1},  // D3
        {"call nc,%02x%02xh", 2},  // D4
        {"push de", 0},  // D5
        {"sub %02xh", 1},  // D6
        {"rst 10h", 0},  // D7
        {"ret c", 0},  // D8
        {"exx", 0},  // D9
        {"jp c,%02x%02xh", 2},  // DA
        {"in a,(%02xh)", 1},  // DB
        {"call c,%02x%02xh", 2},  // DC
        {nullptr, 1},  // DD
        {"sbc a,%02xh", 1},  // DE
        {"rst 18h", 0},  // DF
        {"ret po", 0},  // E0
        {"pop hl", 0},  // E1
        {"jp po,%02x%02xh", 2},  // E2
        {"ex (sp),hl", 0},  // E3
        {"call po,%02x%02xh", 2},  // E4
        {"push hl", 0},  // E5
        {"and %02xh", 1},  // E6
        {"rst 20h", 0},  // E7
        {"ret pe", 0},  // E8
        {"jp (hl)", 0},  // E9
        {"jp pe,%02x%02xh", 2},  // EA
        {"ex de,hl", 0},  // EB
        {"call pe,%02x%02xh", 2},  // EC
        {nullptr, 2},  // ED
        {"xor %02xh", 1},  // EE
        {"rst 28h", 0},  // EF
        {"ret p", 0},  // F0
        {"pop af", 0},  // F1
        {"jp p,%02x%02xh", 2},  // F2
        {"di", 0},  // F3
        {"call p,%02x%02xh", 2},  // F4
        {"push af", 0},  // F5
        {"or %02xh", 1},  // F6
        {"rst 30h", 0},  // F7
        {"ret m", 0},  // F8
        {"ld sp,hl", 0},  // F9
        {"jp m,%02x%02xh", 2},  // FA
        {"ei", 0},  // FB
        {"call m,%02x%02xh", 2},  // FC
        {nullptr, 3},  // FD
        {"cp %02xh", 1},  // FE
        {"rst 38h", 0},  // FF
    },
};

}  // namespace

const OpcodeEntry& opcodeEntry(int page, uint8_t op) { return kPages[page][op]; }

uint16_t disassembleOne(MemoryReader memory, uint16_t address, std::string& text) {
    auto at = [&](unsigned a) { return memory(static_cast<uint16_t>(a)); };

    const OpcodeEntry* entry = &kPages[kPageMain][at(address)];
    unsigned p = address + 1u;
    if (!entry->format) {
        entry = &kPages[entry->kind][at(address + 1u)];
        p = address + 2u;
        if (!entry->format) {
            // DD CB d op / FD CB d op: the displacement sits before the opcode.
            entry = &kPages[entry->kind][at(address + 3u)];
            p = address + 4u;
        }
    }
    const int operandBytes = static_cast<int8_t>(entry->kind & 0xFF);
    const auto next = static_cast<uint16_t>(p + static_cast<unsigned>(operandBytes));

    char buffer[96];
    std::snprintf(buffer, sizeof buffer, " %04X ", address);
    text.assign(buffer);

    // Bytes in fixed columns so the mnemonics line up.
    if (next != address) {
        const unsigned count = static_cast<uint16_t>(next - address);
        for (unsigned i = 0; i < count; ++i) {
            std::snprintf(buffer, sizeof buffer, "%02X ", at(address + i));
            text += buffer;
        }
        for (unsigned i = count; i < 4; ++i) text += "   ";
    }

    switch (entry->kind) {
        case 0:
        case 255:
            text += entry->format;
            return next;
        case 1:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p));
            break;
        case 2:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p + 1), at(p));
            break;
        case 256:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p - 2));
            break;
        case 257: {
            const unsigned target = (p + 1u + static_cast<unsigned>(static_cast<int8_t>(at(p)))) & 0xFFFFu;
            std::snprintf(buffer, sizeof buffer, entry->format, target);
            break;
        }
        case 258:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p), at(p + 1));
            break;
        default:
            return next;
    }
    text += buffer;
    return next;
}

IoResult dumpDisassembly(MemoryReader memory, const std::string& path) {
    std::string listing;
    listing.reserve(40 * 65536);
    std::string line;
    char prefix[16];
    unsigned a = 0;
    for (;;) {
        const uint16_t next = disassembleOne(memory, static_cast<uint16_t>(a), line);
        std::snprintf(prefix, sizeof prefix, ". %04Xh    ", a);
        listing += prefix;
        listing += line;
        listing += '\n';
        if (next <= a) break;  // wrapped past FFFFh
        a = next;
    }
    return writeFileAtomic(path, listing);
}

}  // namespace kestrel
