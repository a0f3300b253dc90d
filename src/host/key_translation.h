// Qt key events as the host key codes the emulated keyboard understands
// (Windows virtual-key codes): letters and digits by their upper-case ASCII
// code, punctuation by the key that carries it on a US layout.
#pragma once


class QKeyEvent;

namespace kestrel {

// 0 when the key has no code the keyboard knows.
int hostKeyCode(int qtKey);
int hostKeyCode(const QKeyEvent& event);

}  // namespace kestrel
