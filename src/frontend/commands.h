// The file and machine commands of the menu: they pick files, call the machine
// and report in the status bar. Window commands (run state, display switches)
// belong to the main window itself.
#pragma once

#include <array>
#include <string>

namespace kestrel {

class FrontEnd;

class Commands {
public:
    explicit Commands(FrontEnd& frontEnd);
    // Carries out command `id`; false when it is not one of these commands.
    bool execute(int id);

private:
    FrontEnd& fe_;
};

}  // namespace kestrel
