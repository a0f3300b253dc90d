// Every menu command in one table, in menu order: its id, text, keys, check
// mark, enabled rule and handler. The menu bar, the window's keys, the check
// marks and the dispatch are all built from it.
#pragma once

#include <QKeyCombination>
#include <span>
#include <vector>

namespace kestrel {

class Commands;
class FrontEnd;
class Machine;
class MainWindow;
struct FrontEndState;

struct CommandKey {
    enum Flags : unsigned {
        // The window takes it whatever modifiers are held.
        kAnyModifiers = 1,
        // Not a menu shortcut: the window takes it only while the monitor,
        // which has a use of its own for it, is not shown.
        kLeftToMonitor = 2,
    };
    QKeyCombination key;
    unsigned flags = 0;
};

// A command, or the start or end of a menu, or a separator.
struct CommandRow {
    enum Kind { kItem, kMenu, kEndMenu, kSeparator };
    Kind kind = kItem;
    int id = 0;
    // Exactly as shown; after a tab, the name of the key. Without one the menu
    // shows the first key.
    const char* text = nullptr;
    // The menu item's shortcuts, first the one it shows; the window takes them too.
    std::vector<CommandKey> keys = {};
    // How the check mark is read; null for an item without one.
    bool (*checked)(FrontEnd& fe) = nullptr;
    // One of the radio items next to it; the first starts checked.
    bool radio = false;
    // Null: always enabled.
    bool (*enabled)(const FrontEndState& s) = nullptr;
    // What the command does, by the window or by the file and machine commands;
    // neither for a command not built yet.
    void (*byWindow)(MainWindow& w, FrontEndState& s, Machine& m, int id) = nullptr;
    void (*byCommands)(Commands& c, FrontEnd& fe, Machine& m, int id) = nullptr;
};

// The handlers are the window's and the commands' own code: both let this in.
struct CommandTable {
    static std::vector<CommandRow> rows();
};

std::span<const CommandRow> commandTable();
// The item of the id; null when there is none.
const CommandRow* findCommand(int id);
bool commandEnabled(const CommandRow& row, const FrontEndState& s);
// The item whose key this is, enabled or not; null when none. `mods` holds
// only Shift, Control and Alt.
const CommandRow* commandOfKey(int key, Qt::KeyboardModifiers mods, bool monitorShown);

}  // namespace kestrel
