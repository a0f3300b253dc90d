// The About box.
#pragma once

#include <string>

class QWidget;

namespace kestrel {

// The box's text: name, version and the machines emulated.
std::string aboutText();
void aboutDialog(QWidget* owner);

}  // namespace kestrel
