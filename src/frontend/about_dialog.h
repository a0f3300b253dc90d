// The About box.
#pragma once

#include <string>

class QWidget;

namespace kestrel {

inline constexpr const char* kProjectUrl = "https://github.com/kestrel-emulator/kestrel";

// The box's text: name, version, the machines emulated and the licence.
std::string aboutText();
// "About KESTREL": the icon, the text, a link to the project page and OK.
void aboutDialog(QWidget* owner);

}  // namespace kestrel
