#include "monitor/disassembler.h"

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace kestrel {
namespace {

using enum Operands;
using Page = std::array<OpcodeEntry, 256>;

// The unprefixed, CB and ED pages, written out.
constexpr Page kMain = {{
    {"nop", kNone},  // 00
    {"ld bc,%02x%02xh", kWord},  // 01
    {"ld (bc),a", kNone},  // 02
    {"inc bc", kNone},  // 03
    {"inc b", kNone},  // 04
    {"dec b", kNone},  // 05
    {"ld b,%02xh", kByte},  // 06
    {"rlca", kNone},  // 07
    {"ex af,af'", kNone},  // 08
    {"add hl,bc", kNone},  // 09
    {"ld a,(bc)", kNone},  // 0A
    {"dec bc", kNone},  // 0B
    {"inc c", kNone},  // 0C
    {"dec c", kNone},  // 0D
    {"ld c,%02xh", kByte},  // 0E
    {"rrca", kNone},  // 0F
    {"djnz %04xh", kRelative},  // 10
    {"ld de,%02x%02xh", kWord},  // 11
    {"ld (de),a", kNone},  // 12
    {"inc de", kNone},  // 13
    {"inc d", kNone},  // 14
    {"dec d", kNone},  // 15
    {"ld d,%02xh", kByte},  // 16
    {"rla", kNone},  // 17
    {"jr %04xh", kRelative},  // 18
    {"add hl,de", kNone},  // 19
    {"ld a,(de)", kNone},  // 1A
    {"dec de", kNone},  // 1B
    {"inc e", kNone},  // 1C
    {"dec e", kNone},  // 1D
    {"ld e,%02xh", kByte},  // 1E
    {"rra", kNone},  // 1F
    {"jr nz,%04xh", kRelative},  // 20
    {"ld hl,%02x%02xh", kWord},  // 21
    {"ld (%02x%02xh),hl", kWord},  // 22
    {"inc hl", kNone},  // 23
    {"inc h", kNone},  // 24
    {"dec h", kNone},  // 25
    {"ld h,%02xh", kByte},  // 26
    {"daa", kNone},  // 27
    {"jr z,%04xh", kRelative},  // 28
    {"add hl,hl", kNone},  // 29
    {"ld hl,(%02x%02xh)", kWord},  // 2A
    {"dec hl", kNone},  // 2B
    {"inc l", kNone},  // 2C
    {"dec l", kNone},  // 2D
    {"ld l,%02xh", kByte},  // 2E
    {"cpl", kNone},  // 2F
    {"jr nc,%04xh", kRelative},  // 30
    {"ld sp,%02x%02xh", kWord},  // 31
    {"ld (%02x%02xh),a", kWord},  // 32
    {"inc sp", kNone},  // 33
    {"inc (hl)", kNone},  // 34
    {"dec (hl)", kNone},  // 35
    {"ld (hl),%02xh", kByte},  // 36
    {"scf", kNone},  // 37
    {"jr c,%04xh", kRelative},  // 38
    {"add hl,sp", kNone},  // 39
    {"ld a,(%02x%02xh)", kWord},  // 3A
    {"dec sp", kNone},  // 3B
    {"inc a", kNone},  // 3C
    {"dec a", kNone},  // 3D
    {"ld a,%02xh", kByte},  // 3E
    {"ccf", kNone},  // 3F
    {"ld b,b", kNone},  // 40
    {"ld b,c", kNone},  // 41
    {"ld b,d", kNone},  // 42
    {"ld b,e", kNone},  // 43
    {"ld b,h", kNone},  // 44
    {"ld b,l", kNone},  // 45
    {"ld b,(hl)", kNone},  // 46
    {"ld b,a", kNone},  // 47
    {"ld c,b", kNone},  // 48
    {"ld c,c", kNone},  // 49
    {"ld c,d", kNone},  // 4A
    {"ld c,e", kNone},  // 4B
    {"ld c,h", kNone},  // 4C
    {"ld c,l", kNone},  // 4D
    {"ld c,(hl)", kNone},  // 4E
    {"ld c,a", kNone},  // 4F
    {"ld d,b", kNone},  // 50
    {"ld d,c", kNone},  // 51
    {"ld d,d", kNone},  // 52
    {"ld d,e", kNone},  // 53
    {"ld d,h", kNone},  // 54
    {"ld d,l", kNone},  // 55
    {"ld d,(hl)", kNone},  // 56
    {"ld d,a", kNone},  // 57
    {"ld e,b", kNone},  // 58
    {"ld e,c", kNone},  // 59
    {"ld e,d", kNone},  // 5A
    {"ld e,e", kNone},  // 5B
    {"ld e,h", kNone},  // 5C
    {"ld e,l", kNone},  // 5D
    {"ld e,(hl)", kNone},  // 5E
    {"ld e,a", kNone},  // 5F
    {"ld h,b", kNone},  // 60
    {"ld h,c", kNone},  // 61
    {"ld h,d", kNone},  // 62
    {"ld h,e", kNone},  // 63
    {"ld h,h", kNone},  // 64
    {"ld h,l", kNone},  // 65
    {"ld h,(hl)", kNone},  // 66
    {"ld h,a", kNone},  // 67
    {"ld l,b", kNone},  // 68
    {"ld l,c", kNone},  // 69
    {"ld l,d", kNone},  // 6A
    {"ld l,e", kNone},  // 6B
    {"ld l,h", kNone},  // 6C
    {"ld l,l", kNone},  // 6D
    {"ld l,(hl)", kNone},  // 6E
    {"ld l,a", kNone},  // 6F
    {"ld (hl),b", kNone},  // 70
    {"ld (hl),c", kNone},  // 71
    {"ld (hl),d", kNone},  // 72
    {"ld (hl),e", kNone},  // 73
    {"ld (hl),h", kNone},  // 74
    {"ld (hl),l", kNone},  // 75
    {"halt", kNone},  // 76
    {"ld (hl),a", kNone},  // 77
    {"ld a,b", kNone},  // 78
    {"ld a,c", kNone},  // 79
    {"ld a,d", kNone},  // 7A
    {"ld a,e", kNone},  // 7B
    {"ld a,h", kNone},  // 7C
    {"ld a,l", kNone},  // 7D
    {"ld a,(hl)", kNone},  // 7E
    {"ld a,a", kNone},  // 7F
    {"add a,b", kNone},  // 80
    {"add a,c", kNone},  // 81
    {"add a,d", kNone},  // 82
    {"add a,e", kNone},  // 83
    {"add a,h", kNone},  // 84
    {"add a,l", kNone},  // 85
    {"add a,(hl)", kNone},  // 86
    {"add a,a", kNone},  // 87
    {"adc a,b", kNone},  // 88
    {"adc a,c", kNone},  // 89
    {"adc a,d", kNone},  // 8A
    {"adc a,e", kNone},  // 8B
    {"adc a,h", kNone},  // 8C
    {"adc a,l", kNone},  // 8D
    {"adc a,(hl)", kNone},  // 8E
    {"adc a,a", kNone},  // 8F
    {"sub b", kNone},  // 90
    {"sub c", kNone},  // 91
    {"sub d", kNone},  // 92
    {"sub e", kNone},  // 93
    {"sub h", kNone},  // 94
    {"sub l", kNone},  // 95
    {"sub (hl)", kNone},  // 96
    {"sub a", kNone},  // 97
    {"sbc a,b", kNone},  // 98
    {"sbc a,c", kNone},  // 99
    {"sbc a,d", kNone},  // 9A
    {"sbc a,e", kNone},  // 9B
    {"sbc a,h", kNone},  // 9C
    {"sbc a,l", kNone},  // 9D
    {"sbc a,(hl)", kNone},  // 9E
    {"sbc a,a", kNone},  // 9F
    {"and b", kNone},  // A0
    {"and c", kNone},  // A1
    {"and d", kNone},  // A2
    {"and e", kNone},  // A3
    {"and h", kNone},  // A4
    {"and l", kNone},  // A5
    {"and (hl)", kNone},  // A6
    {"and a", kNone},  // A7
    {"xor b", kNone},  // A8
    {"xor c", kNone},  // A9
    {"xor d", kNone},  // AA
    {"xor e", kNone},  // AB
    {"xor h", kNone},  // AC
    {"xor l", kNone},  // AD
    {"xor (hl)", kNone},  // AE
    {"xor a", kNone},  // AF
    {"or b", kNone},  // B0
    {"or c", kNone},  // B1
    {"or d", kNone},  // B2
    {"or e", kNone},  // B3
    {"or h", kNone},  // B4
    {"or l", kNone},  // B5
    {"or (hl)", kNone},  // B6
    {"or a", kNone},  // B7
    {"cp b", kNone},  // B8
    {"cp c", kNone},  // B9
    {"cp d", kNone},  // BA
    {"cp e", kNone},  // BB
    {"cp h", kNone},  // BC
    {"cp l", kNone},  // BD
    {"cp (hl)", kNone},  // BE
    {"cp a", kNone},  // BF
    {"ret nz", kNone},  // C0
    {"pop bc", kNone},  // C1
    {"jp nz,%02x%02xh", kWord},  // C2
    {"jp %02x%02xh", kWord},  // C3
    {"call nz,%02x%02xh", kWord},  // C4
    {"push bc", kNone},  // C5
    {"add a,%02xh", kByte},  // C6
    {"rst 0", kNone},  // C7
    {"ret z", kNone},  // C8
    {"ret", kNone},  // C9
    {"jp z,%02x%02xh", kWord},  // CA
    {nullptr, kNone, kPageCb},  // CB
    {"call z,%02x%02xh", kWord},  // CC
    {"call %02x%02xh", kWord},  // CD
    {"adc a,%02xh", kByte},  // CE
    {"rst 8", kNone},  // CF
    {"ret nc", kNone},  // D0
    {"pop de", kNone},  // D1
    {"jp nc,%02x%02xh", kWord},  // D2
    {"out (%02xh),a", kByte},  // D3
    {"call nc,%02x%02xh", kWord},  // D4
    {"push de", kNone},  // D5
    {"sub %02xh", kByte},  // D6
    {"rst 10h", kNone},  // D7
    {"ret c", kNone},  // D8
    {"exx", kNone},  // D9
    {"jp c,%02x%02xh", kWord},  // DA
    {"in a,(%02xh)", kByte},  // DB
    {"call c,%02x%02xh", kWord},  // DC
    {nullptr, kNone, kPageDd},  // DD
    {"sbc a,%02xh", kByte},  // DE
    {"rst 18h", kNone},  // DF
    {"ret po", kNone},  // E0
    {"pop hl", kNone},  // E1
    {"jp po,%02x%02xh", kWord},  // E2
    {"ex (sp),hl", kNone},  // E3
    {"call po,%02x%02xh", kWord},  // E4
    {"push hl", kNone},  // E5
    {"and %02xh", kByte},  // E6
    {"rst 20h", kNone},  // E7
    {"ret pe", kNone},  // E8
    {"jp (hl)", kNone},  // E9
    {"jp pe,%02x%02xh", kWord},  // EA
    {"ex de,hl", kNone},  // EB
    {"call pe,%02x%02xh", kWord},  // EC
    {nullptr, kNone, kPageEd},  // ED
    {"xor %02xh", kByte},  // EE
    {"rst 28h", kNone},  // EF
    {"ret p", kNone},  // F0
    {"pop af", kNone},  // F1
    {"jp p,%02x%02xh", kWord},  // F2
    {"di", kNone},  // F3
    {"call p,%02x%02xh", kWord},  // F4
    {"push af", kNone},  // F5
    {"or %02xh", kByte},  // F6
    {"rst 30h", kNone},  // F7
    {"ret m", kNone},  // F8
    {"ld sp,hl", kNone},  // F9
    {"jp m,%02x%02xh", kWord},  // FA
    {"ei", kNone},  // FB
    {"call m,%02x%02xh", kWord},  // FC
    {nullptr, kNone, kPageFd},  // FD
    {"cp %02xh", kByte},  // FE
    {"rst 38h", kNone},  // FF
}};

constexpr Page kCb = {{
    {"rlc b", kNone},  // 00
    {"rlc c", kNone},  // 01
    {"rlc d", kNone},  // 02
    {"rlc e", kNone},  // 03
    {"rlc h", kNone},  // 04
    {"rlc l", kNone},  // 05
    {"rlc (hl)", kNone},  // 06
    {"rlc a", kNone},  // 07
    {"rrc b", kNone},  // 08
    {"rrc c", kNone},  // 09
    {"rrc d", kNone},  // 0A
    {"rrc e", kNone},  // 0B
    {"rrc h", kNone},  // 0C
    {"rrc l", kNone},  // 0D
    {"rrc (hl)", kNone},  // 0E
    {"rrc a", kNone},  // 0F
    {"rl b", kNone},  // 10
    {"rl c", kNone},  // 11
    {"rl d", kNone},  // 12
    {"rl e", kNone},  // 13
    {"rl h", kNone},  // 14
    {"rl l", kNone},  // 15
    {"rl (hl)", kNone},  // 16
    {"rl a", kNone},  // 17
    {"rr b", kNone},  // 18
    {"rr c", kNone},  // 19
    {"rr d", kNone},  // 1A
    {"rr e", kNone},  // 1B
    {"rr h", kNone},  // 1C
    {"rr l", kNone},  // 1D
    {"rr (hl)", kNone},  // 1E
    {"rr a", kNone},  // 1F
    {"sla b", kNone},  // 20
    {"sla c", kNone},  // 21
    {"sla d", kNone},  // 22
    {"sla e", kNone},  // 23
    {"sla h", kNone},  // 24
    {"sla l", kNone},  // 25
    {"sla (hl)", kNone},  // 26
    {"sla a", kNone},  // 27
    {"sra b", kNone},  // 28
    {"sra c", kNone},  // 29
    {"sra d", kNone},  // 2A
    {"sra e", kNone},  // 2B
    {"sra h", kNone},  // 2C
    {"sra l", kNone},  // 2D
    {"sra (hl)", kNone},  // 2E
    {"sra a", kNone},  // 2F
    {"slia b", kNone},  // 30
    {"slia c", kNone},  // 31
    {"slia d", kNone},  // 32
    {"slia e", kNone},  // 33
    {"slia h", kNone},  // 34
    {"slia l", kNone},  // 35
    {"slia (hl)", kNone},  // 36
    {"slia a", kNone},  // 37
    {"srl b", kNone},  // 38
    {"srl c", kNone},  // 39
    {"srl d", kNone},  // 3A
    {"srl e", kNone},  // 3B
    {"srl h", kNone},  // 3C
    {"srl l", kNone},  // 3D
    {"srl (hl)", kNone},  // 3E
    {"srl a", kNone},  // 3F
    {"bit 0,b", kNone},  // 40
    {"bit 0,c", kNone},  // 41
    {"bit 0,d", kNone},  // 42
    {"bit 0,e", kNone},  // 43
    {"bit 0,h", kNone},  // 44
    {"bit 0,l", kNone},  // 45
    {"bit 0,(hl)", kNone},  // 46
    {"bit 0,a", kNone},  // 47
    {"bit 1,b", kNone},  // 48
    {"bit 1,c", kNone},  // 49
    {"bit 1,d", kNone},  // 4A
    {"bit 1,e", kNone},  // 4B
    {"bit 1,h", kNone},  // 4C
    {"bit 1,l", kNone},  // 4D
    {"bit 1,(hl)", kNone},  // 4E
    {"bit 1,a", kNone},  // 4F
    {"bit 2,b", kNone},  // 50
    {"bit 2,c", kNone},  // 51
    {"bit 2,d", kNone},  // 52
    {"bit 2,e", kNone},  // 53
    {"bit 2,h", kNone},  // 54
    {"bit 2,l", kNone},  // 55
    {"bit 2,(hl)", kNone},  // 56
    {"bit 2,a", kNone},  // 57
    {"bit 3,b", kNone},  // 58
    {"bit 3,c", kNone},  // 59
    {"bit 3,d", kNone},  // 5A
    {"bit 3,e", kNone},  // 5B
    {"bit 3,h", kNone},  // 5C
    {"bit 3,l", kNone},  // 5D
    {"bit 3,(hl)", kNone},  // 5E
    {"bit 3,a", kNone},  // 5F
    {"bit 4,b", kNone},  // 60
    {"bit 4,c", kNone},  // 61
    {"bit 4,d", kNone},  // 62
    {"bit 4,e", kNone},  // 63
    {"bit 4,h", kNone},  // 64
    {"bit 4,l", kNone},  // 65
    {"bit 4,(hl)", kNone},  // 66
    {"bit 4,a", kNone},  // 67
    {"bit 5,b", kNone},  // 68
    {"bit 5,c", kNone},  // 69
    {"bit 5,d", kNone},  // 6A
    {"bit 5,e", kNone},  // 6B
    {"bit 5,h", kNone},  // 6C
    {"bit 5,l", kNone},  // 6D
    {"bit 5,(hl)", kNone},  // 6E
    {"bit 5,a", kNone},  // 6F
    {"bit 6,b", kNone},  // 70
    {"bit 6,c", kNone},  // 71
    {"bit 6,d", kNone},  // 72
    {"bit 6,e", kNone},  // 73
    {"bit 6,h", kNone},  // 74
    {"bit 6,l", kNone},  // 75
    {"bit 6,(hl)", kNone},  // 76
    {"bit 6,a", kNone},  // 77
    {"bit 7,b", kNone},  // 78
    {"bit 7,c", kNone},  // 79
    {"bit 7,d", kNone},  // 7A
    {"bit 7,e", kNone},  // 7B
    {"bit 7,h", kNone},  // 7C
    {"bit 7,l", kNone},  // 7D
    {"bit 7,(hl)", kNone},  // 7E
    {"bit 7,a", kNone},  // 7F
    {"res 0,b", kNone},  // 80
    {"res 0,c", kNone},  // 81
    {"res 0,d", kNone},  // 82
    {"res 0,e", kNone},  // 83
    {"res 0,h", kNone},  // 84
    {"res 0,l", kNone},  // 85
    {"res 0,(hl)", kNone},  // 86
    {"res 0,a", kNone},  // 87
    {"res 1,b", kNone},  // 88
    {"res 1,c", kNone},  // 89
    {"res 1,d", kNone},  // 8A
    {"res 1,e", kNone},  // 8B
    {"res 1,h", kNone},  // 8C
    {"res 1,l", kNone},  // 8D
    {"res 1,(hl)", kNone},  // 8E
    {"res 1,a", kNone},  // 8F
    {"res 2,b", kNone},  // 90
    {"res 2,c", kNone},  // 91
    {"res 2,d", kNone},  // 92
    {"res 2,e", kNone},  // 93
    {"res 2,h", kNone},  // 94
    {"res 2,l", kNone},  // 95
    {"res 2,(hl)", kNone},  // 96
    {"res 2,a", kNone},  // 97
    {"res 3,b", kNone},  // 98
    {"res 3,c", kNone},  // 99
    {"res 3,d", kNone},  // 9A
    {"res 3,e", kNone},  // 9B
    {"res 3,h", kNone},  // 9C
    {"res 3,l", kNone},  // 9D
    {"res 3,(hl)", kNone},  // 9E
    {"res 3,a", kNone},  // 9F
    {"res 4,b", kNone},  // A0
    {"res 4,c", kNone},  // A1
    {"res 4,d", kNone},  // A2
    {"res 4,e", kNone},  // A3
    {"res 4,h", kNone},  // A4
    {"res 4,l", kNone},  // A5
    {"res 4,(hl)", kNone},  // A6
    {"res 4,a", kNone},  // A7
    {"res 5,b", kNone},  // A8
    {"res 5,c", kNone},  // A9
    {"res 5,d", kNone},  // AA
    {"res 5,e", kNone},  // AB
    {"res 5,h", kNone},  // AC
    {"res 5,l", kNone},  // AD
    {"res 5,(hl)", kNone},  // AE
    {"res 5,a", kNone},  // AF
    {"res 6,b", kNone},  // B0
    {"res 6,c", kNone},  // B1
    {"res 6,d", kNone},  // B2
    {"res 6,e", kNone},  // B3
    {"res 6,h", kNone},  // B4
    {"res 6,l", kNone},  // B5
    {"res 6,(hl)", kNone},  // B6
    {"res 6,a", kNone},  // B7
    {"res 7,b", kNone},  // B8
    {"res 7,c", kNone},  // B9
    {"res 7,d", kNone},  // BA
    {"res 7,e", kNone},  // BB
    {"res 7,h", kNone},  // BC
    {"res 7,l", kNone},  // BD
    {"res 7,(hl)", kNone},  // BE
    {"res 7,a", kNone},  // BF
    {"set 0,b", kNone},  // C0
    {"set 0,c", kNone},  // C1
    {"set 0,d", kNone},  // C2
    {"set 0,e", kNone},  // C3
    {"set 0,h", kNone},  // C4
    {"set 0,l", kNone},  // C5
    {"set 0,(hl)", kNone},  // C6
    {"set 0,a", kNone},  // C7
    {"set 1,b", kNone},  // C8
    {"set 1,c", kNone},  // C9
    {"set 1,d", kNone},  // CA
    {"set 1,e", kNone},  // CB
    {"set 1,h", kNone},  // CC
    {"set 1,l", kNone},  // CD
    {"set 1,(hl)", kNone},  // CE
    {"set 1,a", kNone},  // CF
    {"set 2,b", kNone},  // D0
    {"set 2,c", kNone},  // D1
    {"set 2,d", kNone},  // D2
    {"set 2,e", kNone},  // D3
    {"set 2,h", kNone},  // D4
    {"set 2,l", kNone},  // D5
    {"set 2,(hl)", kNone},  // D6
    {"set 2,a", kNone},  // D7
    {"set 3,b", kNone},  // D8
    {"set 3,c", kNone},  // D9
    {"set 3,d", kNone},  // DA
    {"set 3,e", kNone},  // DB
    {"set 3,h", kNone},  // DC
    {"set 3,l", kNone},  // DD
    {"set 3,(hl)", kNone},  // DE
    {"set 3,a", kNone},  // DF
    {"set 4,b", kNone},  // E0
    {"set 4,c", kNone},  // E1
    {"set 4,d", kNone},  // E2
    {"set 4,e", kNone},  // E3
    {"set 4,h", kNone},  // E4
    {"set 4,l", kNone},  // E5
    {"set 4,(hl)", kNone},  // E6
    {"set 4,a", kNone},  // E7
    {"set 5,b", kNone},  // E8
    {"set 5,c", kNone},  // E9
    {"set 5,d", kNone},  // EA
    {"set 5,e", kNone},  // EB
    {"set 5,h", kNone},  // EC
    {"set 5,l", kNone},  // ED
    {"set 5,(hl)", kNone},  // EE
    {"set 5,a", kNone},  // EF
    {"set 6,b", kNone},  // F0
    {"set 6,c", kNone},  // F1
    {"set 6,d", kNone},  // F2
    {"set 6,e", kNone},  // F3
    {"set 6,h", kNone},  // F4
    {"set 6,l", kNone},  // F5
    {"set 6,(hl)", kNone},  // F6
    {"set 6,a", kNone},  // F7
    {"set 7,b", kNone},  // F8
    {"set 7,c", kNone},  // F9
    {"set 7,d", kNone},  // FA
    {"set 7,e", kNone},  // FB
    {"set 7,h", kNone},  // FC
    {"set 7,l", kNone},  // FD
    {"set 7,(hl)", kNone},  // FE
    {"set 7,a", kNone},  // FF
}};

constexpr Page kEd = {{
    {"emulator trap", kNone},  // 00
    {"emulator trap", kNone},  // 01
    {"emulator trap", kNone},  // 02
    {"emulator trap", kNone},  // 03
    {"emulator trap", kNone},  // 04
    {"emulator trap", kNone},  // 05
    {"emulator trap", kNone},  // 06
    {"undefined", kNone},  // 07
    {"undefined", kNone},  // 08
    {"undefined", kNone},  // 09
    {"undefined", kNone},  // 0A
    {"undefined", kNone},  // 0B
    {"undefined", kNone},  // 0C
    {"undefined", kNone},  // 0D
    {"undefined", kNone},  // 0E
    {"undefined", kNone},  // 0F
    {"undefined", kNone},  // 10
    {"undefined", kNone},  // 11
    {"undefined", kNone},  // 12
    {"undefined", kNone},  // 13
    {"undefined", kNone},  // 14
    {"undefined", kNone},  // 15
    {"undefined", kNone},  // 16
    {"undefined", kNone},  // 17
    {"undefined", kNone},  // 18
    {"undefined", kNone},  // 19
    {"undefined", kNone},  // 1A
    {"undefined", kNone},  // 1B
    {"undefined", kNone},  // 1C
    {"undefined", kNone},  // 1D
    {"undefined", kNone},  // 1E
    {"undefined", kNone},  // 1F
    {"undefined", kNone},  // 20
    {"undefined", kNone},  // 21
    {"undefined", kNone},  // 22
    {"undefined", kNone},  // 23
    {"undefined", kNone},  // 24
    {"undefined", kNone},  // 25
    {"undefined", kNone},  // 26
    {"undefined", kNone},  // 27
    {"emt_system", kNone},  // 28
    {"emt_mouse", kNone},  // 29
    {"emt_getdir", kNone},  // 2A
    {"emt_setdir", kNone},  // 2B
    {"undefined", kNone},  // 2C
    {"undefined", kNone},  // 2D
    {"undefined", kNone},  // 2E
    {"emt_debug", kNone},  // 2F
    {"emt_open", kNone},  // 30
    {"emt_close", kNone},  // 31
    {"emt_read", kNone},  // 32
    {"emt_write", kNone},  // 33
    {"emt_lseek", kNone},  // 34
    {"emt_strerror", kNone},  // 35
    {"emt_time", kNone},  // 36
    {"emt_opendir", kNone},  // 37
    {"emt_closedir", kNone},  // 38
    {"emt_readdir", kNone},  // 39
    {"emt_chdir", kNone},  // 3A
    {"emt_getcwd", kNone},  // 3B
    {"emt_misc", kNone},  // 3C
    {"emt_ftruncate", kNone},  // 3D
    {"emt_opendisk", kNone},  // 3E
    {"emt_closedisk", kNone},  // 3F
    {"in b,(c)", kNone},  // 40
    {"out (c),b", kNone},  // 41
    {"sbc hl,bc", kNone},  // 42
    {"ld (%02x%02xh),bc", kWord},  // 43
    {"neg", kNone},  // 44
    {"retn", kNone},  // 45
    {"im 0", kNone},  // 46
    {"ld i,a", kNone},  // 47
    {"in c,(c)", kNone},  // 48
    {"out (c),c", kNone},  // 49
    {"adc hl,bc", kNone},  // 4A
    {"ld bc,(%02x%02xh)", kWord},  // 4B
    {"neg\t\t\t;undoc equiv", kNone},  // 4C
    {"reti", kNone},  // 4D
    {"undefined", kNone},  // 4E
    {"ld r,a", kNone},  // 4F
    {"in d,(c)", kNone},  // 50
    {"out (c),d", kNone},  // 51
    {"sbc hl,de", kNone},  // 52
    {"ld (%02x%02xh),de", kWord},  // 53
    {"neg\t\t\t;undoc equiv", kNone},  // 54
    {"ret\t\t\t;undoc equiv", kNone},  // 55
    {"im 1", kNone},  // 56
    {"ld a,i", kNone},  // 57
    {"in e,(c)", kNone},  // 58
    {"out (c),e", kNone},  // 59
    {"adc hl,de", kNone},  // 5A
    {"ld de,(%02x%02xh)", kWord},  // 5B
    {"neg\t\t\t;undoc equiv", kNone},  // 5C
    {"ret\t\t\t;undoc equiv", kNone},  // 5D
    {"im 2", kNone},  // 5E
    {"ld a,r", kNone},  // 5F
    {"in h,(c)", kNone},  // 60
    {"out (c),h", kNone},  // 61
    {"sbc hl,hl", kNone},  // 62
    {"ld (%02x%02xh),hl\t;undoc equiv", kWord},  // 63
    {"neg\t\t\t;undoc equiv", kNone},  // 64
    {"ret\t\t\t;undoc equiv", kNone},  // 65
    {"im\t0\t\t;undoc equiv", kNone},  // 66
    {"rrd", kNone},  // 67
    {"in l,(c)", kNone},  // 68
    {"out (c),l", kNone},  // 69
    {"adc hl,hl", kNone},  // 6A
    {"ld hl,(%02x%02xh)\t;undoc equiv", kWord},  // 6B
    {"neg\t\t\t;undoc equiv", kNone},  // 6C
    {"ret\t\t\t;undoc equiv", kNone},  // 6D
    {"undefined", kNone},  // 6E
    {"rld", kNone},  // 6F
    {"in (c)", kNone},  // 70
    {"out (c),0", kNone},  // 71
    {"sbc hl,sp", kNone},  // 72
    {"ld (%02x%02xh),sp", kWord},  // 73
    {"neg\t\t\t;undoc equiv", kNone},  // 74
    {"ret\t\t\t;undoc equiv", kNone},  // 75
    {"im\t1\t\t;undoc equiv", kNone},  // 76
    {"undefined", kNone},  // 77
    {"in a,(c)", kNone},  // 78
    {"out (c),a", kNone},  // 79
    {"adc hl,sp", kNone},  // 7A
    {"ld sp,(%02x%02xh)", kWord},  // 7B
    {"neg\t\t\t;undoc equiv", kNone},  // 7C
    {"ret\t\t\t;undoc equiv", kNone},  // 7D
    {"im\t2\t\t;undoc equiv", kNone},  // 7E
    {"undefined", kNone},  // 7F
    {"undefined", kNone},  // 80
    {"undefined", kNone},  // 81
    {"undefined", kNone},  // 82
    {"undefined", kNone},  // 83
    {"undefined", kNone},  // 84
    {"undefined", kNone},  // 85
    {"undefined", kNone},  // 86
    {"undefined", kNone},  // 87
    {"undefined", kNone},  // 88
    {"undefined", kNone},  // 89
    {"undefined", kNone},  // 8A
    {"undefined", kNone},  // 8B
    {"undefined", kNone},  // 8C
    {"undefined", kNone},  // 8D
    {"undefined", kNone},  // 8E
    {"undefined", kNone},  // 8F
    {"undefined", kNone},  // 90
    {"undefined", kNone},  // 91
    {"undefined", kNone},  // 92
    {"undefined", kNone},  // 93
    {"undefined", kNone},  // 94
    {"undefined", kNone},  // 95
    {"undefined", kNone},  // 96
    {"undefined", kNone},  // 97
    {"undefined", kNone},  // 98
    {"undefined", kNone},  // 99
    {"undefined", kNone},  // 9A
    {"undefined", kNone},  // 9B
    {"undefined", kNone},  // 9C
    {"undefined", kNone},  // 9D
    {"undefined", kNone},  // 9E
    {"undefined", kNone},  // 9F
    {"ldi", kNone},  // A0
    {"cpi", kNone},  // A1
    {"ini", kNone},  // A2
    {"outi", kNone},  // A3
    {"undefined", kNone},  // A4
    {"undefined", kNone},  // A5
    {"undefined", kNone},  // A6
    {"undefined", kNone},  // A7
    {"ldd", kNone},  // A8
    {"cpd", kNone},  // A9
    {"ind", kNone},  // AA
    {"outd", kNone},  // AB
    {"undefined", kNone},  // AC
    {"undefined", kNone},  // AD
    {"undefined", kNone},  // AE
    {"undefined", kNone},  // AF
    {"ldir", kNone},  // B0
    {"cpir", kNone},  // B1
    {"inir", kNone},  // B2
    {"otir", kNone},  // B3
    {"undefined", kNone},  // B4
    {"undefined", kNone},  // B5
    {"undefined", kNone},  // B6
    {"undefined", kNone},  // B7
    {"lddr", kNone},  // B8
    {"cpdr", kNone},  // B9
    {"indr", kNone},  // BA
    {"otdr", kNone},  // BB
    {"undefined", kNone},  // BC
    {"undefined", kNone},  // BD
    {"undefined", kNone},  // BE
    {"undefined", kNone},  // BF
    {"undefined", kNone},  // C0
    {"undefined", kNone},  // C1
    {"undefined", kNone},  // C2
    {"undefined", kNone},  // C3
    {"undefined", kNone},  // C4
    {"undefined", kNone},  // C5
    {"undefined", kNone},  // C6
    {"undefined", kNone},  // C7
    {"undefined", kNone},  // C8
    {"undefined", kNone},  // C9
    {"undefined", kNone},  // CA
    {"undefined", kNone},  // CB
    {"undefined", kNone},  // CC
    {"undefined", kNone},  // CD
    {"undefined", kNone},  // CE
    {"undefined", kNone},  // CF
    {"undefined", kNone},  // D0
    {"undefined", kNone},  // D1
    {"undefined", kNone},  // D2
    {"undefined", kNone},  // D3
    {"undefined", kNone},  // D4
    {"undefined", kNone},  // D5
    {"undefined", kNone},  // D6
    {"undefined", kNone},  // D7
    {"undefined", kNone},  // D8
    {"undefined", kNone},  // D9
    {"undefined", kNone},  // DA
    {"undefined", kNone},  // DB
    {"undefined", kNone},  // DC
    {"undefined", kNone},  // DD
    {"undefined", kNone},  // DE
    {"undefined", kNone},  // DF
    {"undefined", kNone},  // E0
    {"undefined", kNone},  // E1
    {"undefined", kNone},  // E2
    {"undefined", kNone},  // E3
    {"undefined", kNone},  // E4
    {"undefined", kNone},  // E5
    {"undefined", kNone},  // E6
    {"undefined", kNone},  // E7
    {"undefined", kNone},  // E8
    {"undefined", kNone},  // E9
    {"undefined", kNone},  // EA
    {"undefined", kNone},  // EB
    {"undefined", kNone},  // EC
    {"undefined", kNone},  // ED
    {"undefined", kNone},  // EE
    {"undefined", kNone},  // EF
    {"undefined", kNone},  // F0
    {"undefined", kNone},  // F1
    {"undefined", kNone},  // F2
    {"undefined", kNone},  // F3
    {"undefined", kNone},  // F4
    {"undefined", kNone},  // F5
    {"undefined", kNone},  // F6
    {"undefined", kNone},  // F7
    {"undefined", kNone},  // F8
    {"undefined", kNone},  // F9
    {"undefined", kNone},  // FA
    {"undefined", kNone},  // FB
    {"undefined", kNone},  // FC
    {"undefined", kNone},  // FD
    {"undefined", kNone},  // FE
    {"undefined", kNone},  // FF
}};

// The DD and FD pages are made from the unprefixed page, DD CB and FD CB from the
// CB page, at compile time. Their formats are built, so they live in rows of their own.
struct IndexRow {
    enum Use : uint8_t {
        kIgnored,  // no hl in the instruction: the prefix alone is an instruction
        kMemory,   // (hl) becomes (ix+d)
        kPair,     // hl becomes ix
        kHalf,     // h and l become ixh and ixl, which only DD is decoded with
        kCbPrefix,
    };
    char format[32] = {};
    std::size_t size = 0;
    Operands operands = kPrefixOnly;
    Use use = kIgnored;

    constexpr void append(std::string_view text) {
        for (char c : text) format[size++] = c;
        format[size] = '\0';  // out of bounds past 31 characters: a compile error
    }
};
using IndexRows = std::array<IndexRow, 256>;

// Letters, digits and % hold together, so neither 10h nor %02xh reads as h.
constexpr bool isWordChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '%'; }

// An unprefixed instruction moved from hl onto ix.
constexpr IndexRow onIx(std::string_view format, Operands operands) {
    IndexRow row;
    if (const std::size_t at = format.find("(hl)"); at != std::string_view::npos) {
        row.append(format.substr(0, at));
        row.append("(ix+%02xh)");
        row.append(format.substr(at + 4));
        row.operands = operands == kByte ? kDisplacementByte : kByte;
        row.use = IndexRow::kMemory;
        return row;
    }
    for (std::size_t i = 0, end = 0; i < format.size(); i = end) {
        for (end = i; end < format.size() && isWordChar(format[end]); ++end) {}
        if (end == i) ++end;
        const std::string_view word = format.substr(i, end - i);
        if (word == "hl") {
            row.append("ix");
            row.use = IndexRow::kPair;
        } else if (word == "h" || word == "l") {
            row.append("ix");
            row.append(word);
            row.use = IndexRow::kHalf;
        } else {
            row.append(word);
        }
    }
    row.operands = operands;
    return row;
}

// Where DD does not simply move the unprefixed instruction onto ix.
struct IndexException {
    uint8_t op;
    std::string_view format;
    IndexRow::Use use;
};
constexpr IndexException kIndexExceptions[] = {
    {0x9C, "sbc ixh", IndexRow::kHalf},  // these two are listed without the a,
    {0x9D, "sbc ixl", IndexRow::kHalf},
    {0xE9, "jp (ix)", IndexRow::kPair},  // jumps to ix itself, no displacement
    {0xEB, "", IndexRow::kIgnored},      // ex de,hl stays on hl
};

constexpr IndexRows ddRows() {
    IndexRows rows;
    for (int op = 0; op < 256; ++op) {
        const OpcodeEntry& main = kMain[op];
        IndexRow& row = rows[op];
        if (!main.format) {
            if (op == 0xCB) row.use = IndexRow::kCbPrefix;
        } else {
            row = onIx(main.format, main.operands);
        }
        for (const IndexException& e : kIndexExceptions) {
            if (e.op != op) continue;
            row = IndexRow{};
            row.append(e.format);
            row.operands = main.operands;
            row.use = e.use;
        }
        if (row.use == IndexRow::kIgnored) {
            row = IndexRow{};
            row.append("undefined");
        }
    }
    return rows;
}

// DD CB d op: the CB instruction on (ix+d). The undocumented register forms also
// load the result into that register; bit only tests, so those are the same bit.
constexpr IndexRows ddCbRows() {
    constexpr std::string_view kRegisters[8] = {"b", "c", "d", "e", "h", "l", "(hl)", "a"};
    IndexRows rows;
    for (int op = 0; op < 256; ++op) {
        const IndexRow memory = onIx(kCb[(op & 0xF8) | 6].format, kNone);
        const int r = op & 7;
        const bool bit = (op & 0xC0) == 0x40;
        IndexRow& row = rows[op];
        if (r != 6 && !bit) {
            row.append("ld ");
            row.append(kRegisters[r]);
            row.append(",");
        }
        row.append(memory.format);
        if (r != 6 && bit) row.append("  ;undoc equiv");
        row.operands = kBitDisplacement;
        row.use = IndexRow::kMemory;
    }
    return rows;
}

// FD is DD on iy, except that the halves are not decoded: FD is ignored there.
constexpr IndexRows onIy(IndexRows rows) {
    for (IndexRow& row : rows) {
        if (row.use == IndexRow::kHalf) {
            row = IndexRow{};
            row.append("undefined");
        }
        for (std::size_t i = 0; i + 1 < row.size; ++i)
            if (row.format[i] == 'i' && row.format[i + 1] == 'x') row.format[i + 1] = 'y';
    }
    return rows;
}

constexpr IndexRows kDdRows = ddRows();
constexpr IndexRows kFdRows = onIy(kDdRows);
constexpr IndexRows kDdCbRows = ddCbRows();
constexpr IndexRows kFdCbRows = onIy(kDdCbRows);

constexpr Page entries(const IndexRows& rows, OpcodePage cbPage) {
    Page page{};
    for (int op = 0; op < 256; ++op) {
        const IndexRow& row = rows[op];
        page[op] = row.use == IndexRow::kCbPrefix ? OpcodeEntry{nullptr, kNone, cbPage}
                                                  : OpcodeEntry{row.format, row.operands};
    }
    return page;
}

constexpr Page kDd = entries(kDdRows, kPageDdCb);
constexpr Page kFd = entries(kFdRows, kPageFdCb);
constexpr Page kDdCb = entries(kDdCbRows, kPageMain);
constexpr Page kFdCb = entries(kFdCbRows, kPageMain);

// Indexed by OpcodePage.
constexpr const Page* kPages[kOpcodePageCount] = {&kCb, &kDd, &kEd, &kFd, &kDdCb, &kFdCb, &kMain};

constexpr int operandBytes(Operands operands) {
    switch (operands) {
        case kNone:
        case kBitDisplacement: return 0;
        case kByte:
        case kRelative: return 1;
        case kWord:
        case kDisplacementByte: return 2;
        case kPrefixOnly: return -1;  // the opcode byte after the prefix is not part of it
    }
    return 0;
}

}  // namespace

const OpcodeEntry& opcodeEntry(int page, uint8_t op) { return (*kPages[page])[op]; }

uint16_t disassembleOne(MemoryReader memory, uint16_t address, std::string& text) {
    auto at = [&](unsigned a) { return memory(static_cast<uint16_t>(a)); };

    const OpcodeEntry* entry = &kMain[at(address)];
    unsigned p = address + 1u;
    if (!entry->format) {
        entry = &(*kPages[entry->next])[at(address + 1u)];
        p = address + 2u;
        if (!entry->format) {
            // DD CB d op / FD CB d op: the displacement sits before the opcode.
            entry = &(*kPages[entry->next])[at(address + 3u)];
            p = address + 4u;
        }
    }
    const auto next = static_cast<uint16_t>(p + static_cast<unsigned>(operandBytes(entry->operands)));

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

    switch (entry->operands) {
        case kNone:
        case kPrefixOnly:
            text += entry->format;
            return next;
        case kByte:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p));
            break;
        case kWord:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p + 1), at(p));
            break;
        case kBitDisplacement:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p - 2));
            break;
        case kRelative: {
            const unsigned target = (p + 1u + static_cast<unsigned>(static_cast<int8_t>(at(p)))) & 0xFFFFu;
            std::snprintf(buffer, sizeof buffer, entry->format, target);
            break;
        }
        case kDisplacementByte:
            std::snprintf(buffer, sizeof buffer, entry->format, at(p), at(p + 1));
            break;
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
