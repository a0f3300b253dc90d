// The menu bar: every command with its text, id and keys, built from one table.
#pragma once

#include <functional>
#include <map>

class QAction;
class QMenuBar;

namespace kestrel {

// Builds the whole menu into `bar`; triggering an item calls dispatch(id). Items
// whose subsystem is not built yet are disabled. Returns the actions by id, for
// check marks and labels.
std::map<int, QAction*> buildMenuBar(QMenuBar* bar, const std::function<void(int id)>& dispatch);

}  // namespace kestrel
