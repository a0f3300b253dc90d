#include "host/key_translation.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include "devices/keyboard.h"

namespace kestrel {

namespace {

// The US-layout key behind a punctuation character, typed with or without Shift.
int punctuationKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal: case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma: case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period: case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash: case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 0xDE;
    // Shifted digits of the US layout: the digit key itself.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
    }
}

}  // namespace

int hostKeyCode(int qtKey) {
    // Keypad digits and operators arrive as the same Qt keys as the main block.
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;  // 0x41-0x5A
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;  // 0x30-0x39
    switch (qtKey) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    // AltGr has a code of its own: on many layouts it types characters
    // rather than acting as Alt, and the host reports it as its own modifier.
    case Qt::Key_AltGr: return 0xA5;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    default: return punctuationKey(qtKey);
    }
}

int hostKeyCodeOfInputCode(int code) {
    static constexpr char kTopRow[] = "QWERTYUIOP";
    static constexpr char kHomeRow[] = "ASDFGHJKL";
    static constexpr char kBottomRow[] = "ZXCVBNM";
    if (code >= 2 && code <= 10) return '1' + (code - 2);
    if (code >= 16 && code <= 25) return kTopRow[code - 16];
    if (code >= 30 && code <= 38) return kHomeRow[code - 30];
    if (code >= 44 && code <= 50) return kBottomRow[code - 44];
    switch (code) {
    case 11: return '0';
    case 12: return 0xBD;
    case 13: return 0xBB;
    case 14: return 0x08;
    case 15: return 0x09;
    case 26: return 0xDB;
    case 27: return 0xDD;
    case 28: case 96: return 0x0D;  // Return, keypad Enter
    case 29: case 97: return 0x11;  // Ctrl
    case 39: return 0xBA;
    case 40: return 0xDE;
    case 41: return 0xC0;
    case 42: case 54: return 0x10;  // Shift
    case 43: return 0xDC;
    case 51: return 0xBC;
    case 52: return 0xBE;
    case 53: return 0xBF;
    case 56: return 0x12;    // Alt
    case 100: return 0xA5;   // AltGr, the right Alt
    case 57: return 0x20;
    case 102: return 0x24;  // Home
    case 103: return 0x26;
    case 105: return 0x25;
    case 106: return 0x27;
    case 108: return 0x28;
    default: return 0;
    }
}

int hostKeyCode(const QKeyEvent& event) {
    // Only the X11 platform's scan codes are Linux input codes plus 8.
    static const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (x11 && event.nativeScanCode() > 8) {
        if (int code = hostKeyCodeOfInputCode(static_cast<int>(event.nativeScanCode()) - 8)) return code;
    }
    return hostKeyCode(event.key());
}

int hostModifiers(const QKeyEvent& event) {
    const Qt::KeyboardModifiers m = event.modifiers();
    return (m & Qt::ShiftModifier ? hostkey::kShiftBit : 0) | (m & Qt::ControlModifier ? hostkey::kCtrlBit : 0) |
           (m & (Qt::AltModifier | Qt::GroupSwitchModifier) ? hostkey::kAltBit : 0);
}

char typedCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    if (text.size() != 1 || (event.modifiers() & Qt::AltModifier)) return 0;
    const char16_t c = text[0].unicode();
    return c >= 0x20 && c < 0x7F ? static_cast<char>(c) : 0;
}

}  // namespace kestrel
