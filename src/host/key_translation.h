// Qt key events as the host key codes the emulated keyboard understands
// (Windows virtual-key codes): letters and digits by their upper-case ASCII
// code, punctuation by the key that carries it on a US layout.
#pragma once

class QKeyEvent;

namespace kestrel {

// 0 when the key has no code the keyboard knows.
int hostKeyCode(int qtKey);
// The physical key when the platform tells it (X11 key codes are Linux input
// codes plus 8), so positional mapping follows key positions on any layout and
// a key is released under the code it was pressed with; else by the Qt key.
int hostKeyCode(const QKeyEvent& event);
// The key code at a Linux input-code position of a US keyboard, 0 for none.
int hostKeyCodeOfInputCode(int inputCode);
// The Shift/Ctrl/Alt the event says are held, as the keyboard's modifier bits
// (AltGr counts as Alt, as its key code does).
int hostModifiers(const QKeyEvent& event);
// The printable ASCII character the key typed, 0 for none; Alt+key is a host
// shortcut and types none.
char typedCharacter(const QKeyEvent& event);

}  // namespace kestrel
