// The menu bar, built from the command table.
#pragma once

#include <functional>
#include <map>

class QAction;
class QMenuBar;

namespace kestrel {

struct FrontEndState;

// Builds the whole menu into `bar`, items enabled by their rules under `state`;
// triggering an item calls dispatch(id). Returns the actions by id, for check
// marks and labels.
std::map<int, QAction*> buildMenuBar(QMenuBar* bar, const FrontEndState& state,
                                     const std::function<void(int id)>& dispatch);

}  // namespace kestrel
