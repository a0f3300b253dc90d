#include "video/open_font.h"

#include <cstddef>

namespace kestrel {

namespace {

// The project's own character generator, drawn dot by dot: 5 x 7 letters in the
// 6 x 12 cell, lower case with descenders. Each block shows eight characters side
// by side; its nine strings are cell lines 1-9 (7 for the letter, 2 for
// descenders), so line 0 stays blank above and lines 10-11 between text rows.
// 0x7F is a checker block. 0x00-0x1F repeat 0x40-0x5F, as the hardware shows them
// when video RAM has no bit 6.
constexpr int kDrawnLines = 9;
constexpr int kGlyphsPerBlock = 8;
constexpr const char* kFont[12][kDrawnLines] = {
    {  // 20-27: space !     "     #     $     %     &     '
        "..... ..X.. .X.X. .X.X. ..X.. XX... .XX.. ..X..",
        "..... ..X.. .X.X. .X.X. .XXXX XX..X X..X. ..X..",
        "..... ..X.. .X.X. XXXXX X.X.. ...X. X.X.. .X...",
        "..... ..X.. ..... .X.X. .XXX. ..X.. .X... .....",
        "..... ..X.. ..... XXXXX ..X.X .X... X.X.X .....",
        "..... ..... ..... .X.X. XXXX. X..XX X..X. .....",
        "..... ..X.. ..... .X.X. ..X.. ...XX .XX.X .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 28-2F: (     )     *     +     ,     -     .     /
        "...X. .X... ..... ..... ..... ..... ..... .....",
        "..X.. ..X.. ..X.. ..X.. ..... ..... ..... ....X",
        ".X... ...X. X.X.X ..X.. ..... ..... ..... ...X.",
        ".X... ...X. .XXX. XXXXX ..... XXXXX ..... ..X..",
        ".X... ...X. X.X.X ..X.. ..... ..... ..... .X...",
        "..X.. ..X.. ..X.. ..X.. .XX.. ..... .XX.. X....",
        "...X. .X... ..... ..... ..X.. ..... .XX.. .....",
        "..... ..... ..... ..... .X... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 30-37: 0     1     2     3     4     5     6     7
        ".XXX. ..X.. .XXX. XXXXX ...X. XXXXX ..XX. XXXXX",
        "X...X .XX.. X...X ...X. ..XX. X.... .X... ....X",
        "X..XX ..X.. ....X ..X.. .X.X. XXXX. X.... ...X.",
        "X.X.X ..X.. ...X. ...X. X..X. ....X XXXX. ..X..",
        "XX..X ..X.. ..X.. ....X XXXXX ....X X...X .X...",
        "X...X ..X.. .X... X...X ...X. X...X X...X .X...",
        ".XXX. .XXX. XXXXX .XXX. ...X. .XXX. .XXX. .X...",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 38-3F: 8     9     :     ;     <     =     >     ?
        ".XXX. .XXX. ..... ..... ...X. ..... .X... .XXX.",
        "X...X X...X .XX.. .XX.. ..X.. ..... ..X.. X...X",
        "X...X X...X .XX.. .XX.. .X... XXXXX ...X. ....X",
        ".XXX. .XXXX ..... ..... X.... ..... ....X ...X.",
        "X...X ....X .XX.. .XX.. .X... XXXXX ...X. ..X..",
        "X...X ...X. .XX.. ..X.. ..X.. ..... ..X.. .....",
        ".XXX. .XX.. ..... .X... ...X. ..... .X... ..X..",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 40-47: @     A     B     C     D     E     F     G
        ".XXX. .XXX. XXXX. .XXX. XXX.. XXXXX XXXXX .XXX.",
        "X...X X...X X...X X...X X..X. X.... X.... X...X",
        "....X X...X X...X X.... X...X X.... X.... X....",
        ".XX.X XXXXX XXXX. X.... X...X XXXX. XXXX. X.XXX",
        "X.X.X X...X X...X X.... X...X X.... X.... X...X",
        "X.X.X X...X X...X X...X X..X. X.... X.... X...X",
        ".XXX. X...X XXXX. .XXX. XXX.. XXXXX X.... .XXXX",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 48-4F: H     I     J     K     L     M     N     O
        "X...X .XXX. ..XXX X...X X.... X...X X...X .XXX.",
        "X...X ..X.. ...X. X..X. X.... XX.XX X...X X...X",
        "X...X ..X.. ...X. X.X.. X.... X.X.X XX..X X...X",
        "XXXXX ..X.. ...X. XX... X.... X.X.X X.X.X X...X",
        "X...X ..X.. ...X. X.X.. X.... X...X X..XX X...X",
        "X...X ..X.. X..X. X..X. X.... X...X X...X X...X",
        "X...X .XXX. .XX.. X...X XXXXX X...X X...X .XXX.",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 50-57: P     Q     R     S     T     U     V     W
        "XXXX. .XXX. XXXX. .XXXX XXXXX X...X X...X X...X",
        "X...X X...X X...X X.... ..X.. X...X X...X X...X",
        "X...X X...X X...X X.... ..X.. X...X X...X X...X",
        "XXXX. X...X XXXX. .XXX. ..X.. X...X X...X X.X.X",
        "X.... X.X.X X.X.. ....X ..X.. X...X X...X X.X.X",
        "X.... X..X. X..X. ....X ..X.. X...X .X.X. X.X.X",
        "X.... .XX.X X...X XXXX. ..X.. .XXX. ..X.. .X.X.",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 58-5F: X     Y     Z     [     \     ]     ^     _
        "X...X X...X XXXXX .XXX. ..... .XXX. ..X.. .....",
        "X...X X...X ....X .X... X.... ...X. .X.X. .....",
        ".X.X. .X.X. ...X. .X... .X... ...X. X...X .....",
        "..X.. ..X.. ..X.. .X... ..X.. ...X. ..... .....",
        ".X.X. ..X.. .X... .X... ...X. ...X. ..... .....",
        "X...X ..X.. X.... .X... ....X ...X. ..... .....",
        "X...X ..X.. XXXXX .XXX. ..... .XXX. ..... XXXXX",
        "..... ..... ..... ..... ..... ..... ..... .....",
        "..... ..... ..... ..... ..... ..... ..... .....",
    },
    {  // 60-67: `     a     b     c     d     e     f     g
        ".X... ..... X.... ..... ....X ..... ..XX. .....",
        "..X.. ..... X.... ..... ....X ..... .X..X .....",
        "...X. .XXX. XXXX. .XXX. .XXXX .XXX. .X... .XXXX",
        "..... ....X X...X X.... X...X X...X XXX.. X...X",
        "..... .XXXX X...X X.... X...X XXXXX .X... X...X",
        "..... X...X X...X X...X X...X X.... .X... X...X",
        "..... .XXXX XXXX. .XXX. .XXXX .XXX. .X... .XXXX",
        "..... ..... ..... ..... ..... ..... ..... ....X",
        "..... ..... ..... ..... ..... ..... ..... .XXX.",
    },
    {  // 68-6F: h     i     j     k     l     m     n     o
        "X.... ..X.. ...X. X.... .XX.. ..... ..... .....",
        "X.... ..... ..... X.... ..X.. ..... ..... .....",
        "X.XX. .XX.. ..XX. X..X. ..X.. XX.X. X.XX. .XXX.",
        "XX..X ..X.. ...X. X.X.. ..X.. X.X.X XX..X X...X",
        "X...X ..X.. ...X. XX... ..X.. X.X.X X...X X...X",
        "X...X ..X.. ...X. X.X.. ..X.. X.X.X X...X X...X",
        "X...X .XXX. ...X. X..X. .XXX. X.X.X X...X .XXX.",
        "..... ..... X..X. ..... ..... ..... ..... .....",
        "..... ..... .XX.. ..... ..... ..... ..... .....",
    },
    {  // 70-77: p     q     r     s     t     u     v     w
        "..... ..... ..... ..... .X... ..... ..... .....",
        "..... ..... ..... ..... .X... ..... ..... .....",
        "XXXX. .XXXX X.XX. .XXXX XXX.. X...X X...X X...X",
        "X...X X...X XX..X X.... .X... X...X X...X X...X",
        "X...X X...X X.... .XXX. .X... X...X X...X X.X.X",
        "X...X X...X X.... ....X .X..X X..XX .X.X. X.X.X",
        "XXXX. .XXXX X.... XXXX. ..XX. .XX.X ..X.. .X.X.",
        "X.... ....X ..... ..... ..... ..... ..... .....",
        "X.... ....X ..... ..... ..... ..... ..... .....",
    },
    {  // 78-7F: x     y     z     {     |     }     ~     DEL
        "..... ..... ..... ...X. ..X.. .X... ..... X.X.X",
        "..... ..... ..... ..X.. ..X.. ..X.. ..... .X.X.",
        "X...X X...X XXXXX ..X.. ..X.. ..X.. .X... X.X.X",
        ".X.X. X...X ...X. .X... ..X.. ...X. X.X.X .X.X.",
        "..X.. X...X ..X.. ..X.. ..X.. ..X.. ...X. X.X.X",
        ".X.X. X...X .X... ..X.. ..X.. ..X.. ..... .X.X.",
        "X...X .XXXX XXXXX ...X. ..X.. .X... ..... X.X.X",
        "..... ....X ..... ..... ..... ..... ..... .....",
        "..... .XXX. ..... ..... ..... ..... ..... .....",
    },
};

bool dot(int code, int line, int column) {
    const int glyph = code - 0x20;
    return kFont[glyph / kGlyphsPerBlock][line][(glyph % kGlyphsPerBlock) * 6 + column] == 'X';
}

}  // namespace

CharacterImages openFontImages() {
    CharacterImages images;
    for (int code = 0; code < 128; ++code) {
        const int drawn = code < 0x20 ? code + 0x40 : code;
        for (int line = 0; line < kDrawnLines; ++line) {
            uint8_t dots = 0;  // bit 4 leftmost
            for (int column = 0; column < 5; ++column)
                if (dot(drawn, line, column)) dots |= static_cast<uint8_t>(0x10 >> column);
            const size_t cellLine = static_cast<size_t>(code) * 16 + 1 + line;
            // The TRS-80 image is loaded one line lower and used as it stands.
            images.trs80[cellLine - 1] = dots;
            // The Video Genie style images carry their dots in bits 7-3.
            images.videoGenie[cellLine] = static_cast<uint8_t>(dots << 3);
            images.hungarianV2[cellLine] = static_cast<uint8_t>(dots << 3);
        }
    }
    return images;  // no replacement glyphs
}

}  // namespace kestrel
