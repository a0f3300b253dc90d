#include "frontend/menus.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <vector>

#include "frontend/command_table.h"
#include "frontend/front_end.h"

namespace kestrel {

std::map<int, QAction*> buildMenuBar(QMenuBar* bar, const FrontEndState& state,
                                     const std::function<void(int id)>& dispatch) {
    std::map<int, QAction*> actions;
    std::vector<QMenu*> open;  // the menu being filled last
    QActionGroup* radios = nullptr;  // the radio items just before
    for (const CommandRow& row : commandTable()) {
        if (row.kind != CommandRow::kItem || !row.radio) radios = nullptr;
        switch (row.kind) {
        case CommandRow::kMenu:
            open.push_back(open.empty() ? bar->addMenu(QString::fromUtf8(row.text))
                                        : open.back()->addMenu(QString::fromUtf8(row.text)));
            break;
        case CommandRow::kEndMenu:
            open.pop_back();
            break;
        case CommandRow::kSeparator:
            open.back()->addSeparator();
            break;
        case CommandRow::kItem: {
            auto* action = new QAction(QString::fromUtf8(row.text), bar);
            action->setData(row.id);
            action->setCheckable(row.checked != nullptr);
            action->setEnabled(commandEnabled(row, state));
            action->setShortcutContext(Qt::WindowShortcut);
            QList<QKeySequence> keys;
            for (const CommandKey& k : row.keys)
                if (!(k.flags & CommandKey::kLeftToMonitor)) keys << QKeySequence(k.key);
            action->setShortcuts(keys);
            if (row.radio) {
                if (!radios) {
                    radios = new QActionGroup(bar);
                    radios->setExclusive(true);
                    action->setChecked(true);
                }
                radios->addAction(action);
            }
            QObject::connect(action, &QAction::triggered, bar, [dispatch, id = row.id] { dispatch(id); });
            open.back()->addAction(action);
            actions[row.id] = action;
            break;
        }
        }
    }
    return actions;
}

}  // namespace kestrel
