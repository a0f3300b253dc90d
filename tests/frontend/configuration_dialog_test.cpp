// The machine configuration dialog, driven offscreen against a real machine
// and a settings file in a scratch directory; and the About box's text.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "quiet_machine.h"
#include "scratch_files.h"
#include "frontend/about_dialog.h"
#include "frontend/configuration_dialog.h"
#include "frontend/settings.h"
#include "kestrel_version.h"
#include "machine/machine.h"

namespace kestrel {
namespace {

using Dialog = ConfigurationDialog;
using Edit = std::function<void(Dialog&)>;

struct Rig {
    test::ScratchDir dir;
    Machine m{test::quietMachineOptions()};
    Settings settings{dir.file("kestrel.ini"), nullptr};
    std::vector<int> kinds;
    std::string answer;
    Rig() {
        m.startUp();
        m.setFrameFormat({});
    }
    // A dialog changed by `edit`, then OK; "..." chooses `answer`.
    void ok(const Edit& edit) {
        Dialog d(m, settings);
        d.chooseFile = [this](int kind, std::string& path) { return kinds.push_back(kind), path = answer, 1; };
        edit(d);
        d.accept();
    }
    std::vector<uint8_t> picture() {
        m.invalidateScreen();
        m.renderFrame({});
        return m.frame().dib;
    }
    uint32_t number(const char* name) {
        uint32_t value = 0;
        return settings.readNumber(name, value), value;
    }
};

void custom(Dialog& d) { d.customButton()->setChecked(true); }
void standard(Dialog& d) { d.standardButton()->setChecked(true); }
Edit pick(Dialog::List list, int row) {
    return [=](Dialog& d) { d.list(list)->setCurrentRow(row); };
}
Edit steps(std::vector<Edit> edits) {
    return [=](Dialog& d) {
        for (const Edit& e : edits) e(d);
    };
}

TEST(ConfigurationDialog, OnlyANewCharacterSetKeepsTheMachineRunning) {
    Rig r;
    // Every glyph a solid block (the file's first byte is taken unshifted).
    std::vector<uint8_t> blocks(2048, 0xF8);
    blocks[0] = 0x1F;
    r.settings.writeString("CharROMPath", r.dir.write("solid.rom", blocks));
    struct Row {
        const char* what;
        Edit edit;
        int active;
        bool fullReset, newPicture;
    };
    const Row rows[] = {
        {"custom", custom, 4, true, true},
        {"charset", pick(Dialog::kCharList, kCharCustom), 4, false, true},
        {"RAM size", pick(Dialog::kRamList, 0), 4, true, false},
        {"BASIC set", pick(Dialog::kBasicList, kBasic220), 4, true, false},
        {"expansion", pick(Dialog::kExpansionList, kExpansionNone), 4, true, false},
        {"nothing", [](Dialog&) {}, 4, false, false},
        {"standard", steps({standard, [](Dialog& d) { d.standardList()->setCurrentRow(2); }}), 2, true, true},
        // Custom choices made and left again do not disturb the standard machine.
        {"custom and back", steps({custom, pick(Dialog::kRamList, 1), standard}), 2, false, false},
    };
    for (const Row& row : rows) {
        r.m.writeMemory(0x3C00, 'A');
        r.m.writeMemory(0x4100, 0xA5);
        r.m.setProgramCounter(0x1234);
        const std::vector<uint8_t> before = r.picture();
        r.ok(row.edit);
        EXPECT_EQ(r.m.activeConfigIndex(), row.active) << row.what;
        EXPECT_EQ(r.m.memory()[0x4100] != 0xA5, row.fullReset) << row.what;
        EXPECT_EQ(r.m.processor().PC != 0x1234, row.fullReset) << row.what;
        EXPECT_EQ(r.picture() != before, row.newPicture) << row.what;
    }
    EXPECT_EQ(r.m.configuration(4).charRom, kCharCustom);
    EXPECT_EQ(r.m.configuration(4).ramSize, 1u);

    // A custom BASIC file, chosen through "...", and another file for it later.
    const uint8_t firsts[] = {0x11, 0x22};
    for (uint8_t first : firsts) {
        r.answer = r.dir.write("basic" + std::to_string(first) + ".rom", {first, 0x33});
        r.ok(steps({custom, pick(Dialog::kBasicList, kBasicCustom), [](Dialog& d) { d.browseButton(0)->click(); }}));
        EXPECT_EQ(r.m.memory()[0], first);
        EXPECT_EQ(r.m.memory()[1], 0x33);
        std::string stored;
        r.settings.readString("BasicROMPath", stored);
        EXPECT_EQ(stored, r.answer);
    }
    EXPECT_EQ(r.kinds, (std::vector<int>{6, 6}));
}

TEST(ConfigurationDialog, ClockAndVerticalBlankOnlyWithinTheirRanges) {
    Rig r;
    r.ok(custom);
    struct Row {
        const char *clock, *blank;
        uint32_t clockHz, frameHz;
    } const rows[] = {
        {"40000", "300", 1774080, 50},
        {"2000000", "60", 2000000, 60},
        {"100000001", "4", 2000000, 60},
        {"fast", "", 2000000, 60},
    };
    for (const Row& row : rows) {
        r.ok([&](Dialog& d) {
            d.clockBox()->setCurrentText(row.clock);
            d.blankBox()->setCurrentText(row.blank);
        });
        EXPECT_EQ(r.m.processor().clockHz, row.clockHz) << row.clock;
        EXPECT_EQ(r.m.configuration(4).cpuClockHz, row.clockHz) << row.clock;
        EXPECT_EQ(r.number("CustomCpuClockFreq"), row.clockHz) << row.clock;
        EXPECT_EQ(r.m.configuration(4).frameHz, row.frameHz) << row.blank;
        EXPECT_EQ(r.number("CustomScreenFreq"), row.frameHz) << row.blank;
    }
    // The start-up pattern: a number, all ones for "Random"; other text keeps it.
    const std::pair<const char*, uint32_t> patterns[] = {
        {"32", 32}, {"x", 32}, {"Random", kRandomStartupPattern}, {"0", 0}};
    for (const auto& [text, pattern] : patterns) {
        r.ok([&](Dialog& d) { d.patternBox()->setCurrentText(text); });
        EXPECT_EQ(r.m.ramStartupPattern(), pattern) << text;
    }
}

// Enabled states, in this order: standard list, the four lists, their labels,
// clock box and label, blank box and label, the three ROM edits, their "..."
// buttons, the pattern box.
std::string enabled(const Dialog& d) {
    std::string bits;
    auto add = [&](const QWidget* w) { bits += w->isEnabled() ? '1' : '0'; };
    add(d.standardList());
    for (int l = 0; l < Dialog::kLists; ++l) add(d.list(static_cast<Dialog::List>(l)));
    for (int l = 0; l < Dialog::kLists; ++l) add(d.listLabel(static_cast<Dialog::List>(l)));
    add(d.clockBox()), add(d.clockLabel()), add(d.blankBox()), add(d.blankLabel());
    for (int rom = 0; rom < Dialog::kRomFiles; ++rom) add(d.romEdit(rom));
    for (int rom = 0; rom < Dialog::kRomFiles; ++rom) add(d.browseButton(rom));
    add(d.patternBox());
    return bits;
}

TEST(ConfigurationDialog, CustomEnablesItsControlsEachFileWithItsEntryAndCancelChangesNothing) {
    Rig r;
    Dialog d(r.m, r.settings);
    struct Row {
        const char* what;
        Edit edit;
        const char* bits;
        int selected;
    } const rows[] = {
        {"opened", [](Dialog&) {}, "1" "0000" "0000" "0000" "000" "000" "1", 0},
        {"custom", custom, "0" "1111" "1111" "1111" "000" "000" "1", 4},
        {"custom BASIC", pick(Dialog::kBasicList, kBasicCustom), "0" "1111" "1111" "1111" "100" "100" "1", 4},
        {"custom charset", pick(Dialog::kCharList, kCharCustom), "0" "1111" "1111" "1111" "101" "101" "1", 4},
        {"standard", standard, "1" "0000" "0000" "0000" "000" "000" "1", 0},
    };
    for (const Row& row : rows) {
        row.edit(d);
        EXPECT_EQ(enabled(d), row.bits) << row.what;
        EXPECT_EQ(d.selectedIndex(), row.selected) << row.what;
    }
    // Cancel after all that changes nothing.
    r.m.setProgramCounter(0x1234);
    custom(d);
    d.romEdit(0)->setText("/nowhere.rom");
    d.clockBox()->setCurrentText("2000000");
    d.patternBox()->setCurrentText("32");
    d.reject();
    EXPECT_EQ(r.m.activeConfigIndex(), 0);
    EXPECT_EQ(r.m.configuration(4).basicRom, kBasicOriginal);
    EXPECT_EQ(r.m.configuration(4).charRom, kCharVideoGenie);
    EXPECT_EQ(r.m.processor().PC, 0x1234);
    EXPECT_EQ(r.m.processor().clockHz, 1774080);
    EXPECT_EQ(r.m.ramStartupPattern(), 0u);
    std::string stored = "unset";
    r.settings.readString("BasicROMPath", stored);
    EXPECT_EQ(stored, "unset");

    // Opened on the custom machine, "Standard" goes to the first standard one.
    r.ok(custom);
    Dialog again(r.m, r.settings);
    EXPECT_TRUE(again.customButton()->isChecked());
    again.standardButton()->setChecked(true);
    EXPECT_EQ(again.selectedIndex(), 0);
}

TEST(AboutBox, NamesTheMachinesTheVersionAndTheLicence) {
    const std::string text = aboutText();
    for (const char* words : {"EACA EG3003", "KESTREL", "System-80", "TRZ-80", "VideoGenie", "TRS-80 Model I", kVersion,
                              "Licensed under the MIT License."})
        EXPECT_NE(text.find(words), std::string::npos) << words;
}

}  // namespace
}  // namespace kestrel
