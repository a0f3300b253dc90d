// The menu bar: every command once, with its text, keys, check marks and state.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <map>
#include <set>
#include <string>

#include "frontend/command_table.h"
#include "frontend/front_end.h"
#include "frontend/menus.h"

namespace kestrel {
namespace {

void collect(const QList<QAction*>& actions, std::multimap<int, QAction*>& out) {
    for (QAction* a : actions) {
        if (a->menu()) collect(a->menu()->actions(), out);
        else if (a->data().isValid()) out.emplace(a->data().toInt(), a);
    }
}

TEST(MenuBar, EveryCommandOnceWithItsTextKeysChecksAndState) {
    const std::map<int, std::string> texts = {
        {135, "&Autostart file..."}, {110, "Load &CMD..."}, {111, "Load or type &BAS/TXT..."},
        {127, "Save &memory as CAS..."}, {40018, "Drive :&0 - <no disk>"}, {40019, "Drive :&1 - <no disk>"},
        {40020, "Drive :&2 - <no disk>"}, {40021, "Drive :&3 - <no disk>"}, {40022, "Drive :&0"},
        {40023, "Drive :&1"}, {40024, "Drive :&2"}, {40025, "Drive :&3"}, {40033, "&All"},
        {131, "&Load snapshot ..."}, {132, "Sa&ve snapshot as ..."}, {112, "&Save screenshot\tF6"},
        {126, "S&ave screenshot as..."}, {40123, "Save video memory with screenshots (.V80)"},
        {40054, "Sa&ve to video...\tAlt+I"}, {40120, "Sa&ve to WAV...\tAlt+U"}, {102, "E&xit"},
        {104, "&Pause\tPause"}, {105, "&Reset\tF11"}, {109, "R&estart\tAlt+F1"},
        {145, "C&opy to clipboard\tAlt+C"}, {40040, "P&aste from clipboard\tAlt+V"}, {108, "&Monitor\tESC"},
        {141, "&Configuration...\tAlt+Q"}, {40045, "&No hi-res"}, {40046, "&Lowe LE18 - 384x192"},
        {123, "&Attach CAS...\tAlt+T"}, {124, "Detach &CAS"}, {40034, "&Attach WAV..."}, {120, "&Create WAV..."},
        {121, "C&lose WAV"}, {122, "&Play/Record\tF5"}, {125, "&Rewind tape"}, {40121, "Adj&ust head..."},
        {128, "&Video cut\tF3"}, {129, "Page\tF4"}, {106, "&Limit speed\tAlt+F3"}, {40122, "&Run in background"},
        {118, "&Sound"}, {40057, "&Symbolic keymapping"}, {40060, "&Enable printer"}, {134, "&Double scan"},
        {40052, "&Composite blur"}, {40050, "&Use 1-bit display"}, {40058, "&Giant screen\tAlt+F2"},
        {40200, "Window size &2x"}, {40201, "Window size &3x"},
        {40230, "&Keypad joystick"},
        {40007, "Toggle fullscreen\tAlt+Enter"}, {103, "&About..."},
    };
    QMenuBar bar;
    std::vector<int> dispatched;
    auto byId = buildMenuBar(&bar, FrontEndState{}, [&](int id) { dispatched.push_back(id); });
    std::multimap<int, QAction*> found;
    collect(bar.actions(), found);
    EXPECT_EQ(found.size(), texts.size());
    for (const auto& [id, text] : texts) {
        ASSERT_EQ(found.count(id), 1u) << id;
        EXPECT_EQ(found.find(id)->second->text().toStdString(), text) << id;
        EXPECT_EQ(byId.at(id), found.find(id)->second) << id;
    }

    // Menu shortcuts, which the window takes too; F4 is the window's alone,
    // and the monitor's while that is shown.
    const std::pair<int, QKeyCombination> keys[] = {
        {112, Qt::Key_F6}, {123, Qt::ALT | Qt::Key_T}, {104, Qt::Key_Pause}, {108, Qt::Key_Escape},
        {109, Qt::ALT | Qt::Key_F1}, {109, Qt::SHIFT | Qt::Key_F11}, {109, Qt::SHIFT | Qt::Key_F8},
        {40020, Qt::ALT | Qt::Key_2}, {40034, Qt::ALT | Qt::Key_W}, {40007, Qt::ALT | Qt::Key_Return},
        {106, Qt::ALT | Qt::Key_F3}, {128, Qt::Key_F3}, {129, Qt::Key_F4},
    };
    for (const auto& [id, key] : keys) {
        EXPECT_EQ(byId.at(id)->shortcuts().contains(QKeySequence(key)), id != 129) << id;
        const CommandRow* row = commandOfKey(key.key(), key.keyboardModifiers(), false);
        EXPECT_EQ(row ? row->id : 0, id) << id;
    }
    EXPECT_EQ(commandOfKey(Qt::Key_F4, Qt::NoModifier, true), nullptr);
    EXPECT_EQ(commandOfKey(Qt::Key_Pause, Qt::ShiftModifier, false)->id, 104);

    const std::set<int> checkable = {104, 108, 40122, 106, 118, 134, 40050, 40058, 40052,
                                     40057, 40060, 40123, 40007, 122, 128, 129, 40120, 40045, 40046, 40200, 40201,
                                     40230, 40054};
#if KESTREL_HAVE_AVI
    const std::set<int> disabled;
#else
    const std::set<int> disabled = {40054};  // built without video recording
#endif
    for (const auto& [id, action] : found) {
        EXPECT_EQ(action->isCheckable(), checkable.count(id) == 1) << id;
        EXPECT_EQ(action->isEnabled(), disabled.count(id) == 0) << id;
    }

    // The hi-res pair is a radio group; triggering reaches the dispatcher with the id.
    byId.at(40046)->trigger();
    EXPECT_TRUE(byId.at(40046)->isChecked());
    EXPECT_FALSE(byId.at(40045)->isChecked());
    byId.at(105)->trigger();
    EXPECT_EQ(dispatched, (std::vector<int>{40046, 105}));
}

}  // namespace
}  // namespace kestrel
