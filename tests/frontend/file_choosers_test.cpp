// The chooser kinds, the default-extension rule and the address panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <string>

#include "media_files.h"

#include "frontend/address_panel.h"
#include "frontend/file_choosers.h"

namespace kestrel {
namespace {

TEST(FileChooser, KindsHaveTheirTitlesFiltersAndModes) {
    struct Row {
        int kind;
        const char* title;
        const char* firstQtFilter;
        size_t filters;
        bool save, overwrite;
        const char* extension;
    };
    const Row rows[] = {
        {0, "Load CMD image", "CMD files (*.cmd)", 2, false, false, ""},
        {1, "Load BAS file", "BAS files (*.bas *.txt)", 2, false, false, ""},
        {2, "Attach tape sample file", "44.1 kHz, 8 bit mono WAV (*.wav)", 2, false, false, ""},
        {3, "Attach CAS file", "CAS files (*.cas)", 2, false, false, ""},
        {4, "Autostart emulator image...", "EACA Genie files (*.bas *.cas *.cmd *.dsk *.hts *.txt)", 2, false, false, ""},
        {5, "Attach disk image...", "DSK/JV1/JV3 files (*.dsk *.jv1 *.jv3)", 2, false, false, ""},
        {6, "Select ROM image", "ROM images (*.rom)", 2, false, false, ""},
        {7, "Load emulator snaphsot file", "HTS files (*.hts)", 2, false, false, ""},
        {9, "Save WAV file", "WAV files (*.wav)", 2, true, false, "wav"},
        {10, "Save memory as CAS file", "CAS files (*.cas)", 2, true, true, "cas"},
        {11, "Save screen as...", "GIF files (*.gif)", 3, true, false, "gif"},
        {12, "Save CAS tape file under name...", "CAS files (*.cas)", 2, true, true, "cas"},
        {13, "Save emulator snapshot as...", "HTS files (*.hts)", 2, true, true, "hts"},
        {14, "Save video...", "AVI files (*.avi)", 2, true, true, "avi"},
        {15, "Save to WAV...", "16 bit; mono; 44,100 kHz PCM (*.wav)", 1, true, true, "wav"},
    };
    for (const Row& r : rows) {
        const ChooserSpec s = chooserSpec(r.kind);
        ASSERT_TRUE(s.valid) << r.kind;
        EXPECT_EQ(s.title, r.title) << r.kind;
        ASSERT_EQ(s.filters.size(), r.filters) << r.kind;
        EXPECT_EQ(qtFilterString(s.filters[0]), r.firstQtFilter) << r.kind;
        EXPECT_EQ(s.save, r.save) << r.kind;
        EXPECT_EQ(s.overwritePrompt, r.overwrite) << r.kind;
        EXPECT_EQ(defaultExtensionFor(r.kind, 0), r.extension) << r.kind;
    }
    EXPECT_FALSE(chooserSpec(8).valid);
    EXPECT_FALSE(chooserSpec(16).valid);
    EXPECT_EQ(chooserSpec(1).filters[0].text, "BAS files (*.bas;*.txt)");
    EXPECT_EQ(qtFilterString(chooserSpec(0).filters[1]), "All (*)");
    EXPECT_EQ(qtFilterString(chooserSpec(12).filters[1]), "All Files (*)");
    EXPECT_EQ(qtFilterString(chooserSpec(11).filters[1]), "BMP files (*.bmp)");
}

TEST(FileChooser, SaveNamesWithoutADotGetTheDefaultExtension) {
    EXPECT_EQ(withDefaultExtension(11, 0, "/tmp/shot"), "/tmp/shot.gif");
    EXPECT_EQ(withDefaultExtension(11, 1, "/tmp/shot"), "/tmp/shot.bmp");
    EXPECT_EQ(withDefaultExtension(11, 2, "/tmp/shot"), "/tmp/shot.bmp");
    EXPECT_EQ(withDefaultExtension(12, 0, "tape"), "tape.cas");
    EXPECT_EQ(withDefaultExtension(12, 0, "tape.old"), "tape.old");
    // A dot in a directory is not an extension.
    EXPECT_EQ(withDefaultExtension(13, 0, "/home/u/my.dir/state"), "/home/u/my.dir/state.hts");
    EXPECT_EQ(withDefaultExtension(3, 0, "tape"), "tape");
    EXPECT_EQ(withDefaultExtension(0, 0, "prog"), "prog");
}

TEST(AddressPanel, PresetsAndHexParsing) {
    AddressPanel panel;
    EXPECT_EQ(panel.fromEdit()->text(), "4000");
    EXPECT_EQ(panel.endEdit()->text(), "7FFF");
    EXPECT_EQ(panel.entryEdit()->text(), "0066");
    CasAddresses a = panel.addresses();
    EXPECT_EQ(a.from, 0x4000);
    EXPECT_EQ(a.end, 0x7FFF);
    EXPECT_EQ(a.entry, 0x0066);
    panel.endEdit()->setText("c0");
    EXPECT_EQ(panel.addresses().end, 0x00C0);

    EXPECT_EQ(parseHexAddress("ffff"), 0xFFFF);
    EXPECT_EQ(parseHexAddress("12345"), 0x1234);  // four digits at most
    EXPECT_EQ(parseHexAddress("1g"), 0x0001);
    EXPECT_EQ(parseHexAddress("xyz"), 0);
    EXPECT_EQ(parseHexAddress(""), 0);
}

// The dialog itself: the name typed, the filter picked, and that filter preselected next time.
TEST(FileChooser, DialogAppliesTheExtensionAndRemembersTheFilter) {
    mediatest::TempDir dir;
    FileChooser chooser;
    std::string seenFilter;
    auto answerWith = [&](const char* filter, bool accept) {
        QTimer::singleShot(0, [&, filter, accept] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seenFilter = dialog->selectedNameFilter().toStdString();
            dialog->setDirectory(QString::fromStdString(dir.path().string()));
            if (filter) dialog->selectNameFilter(filter);
            dialog->selectFile("picture");
            QDialog* box = dialog;  // accept() is protected in QFileDialog
            accept ? box->accept() : box->reject();
        });
    };
    std::string path;
    answerWith("BMP files (*.bmp)", true);
    ASSERT_EQ(chooser.chooseFile(nullptr, 11, path), 1);
    EXPECT_EQ(path, dir.file("picture.bmp"));
    EXPECT_EQ(seenFilter, "GIF files (*.gif)");
    EXPECT_EQ(chooser.lastFilter(11), 1);

    answerWith(nullptr, false);
    path = "unchanged";
    EXPECT_EQ(chooser.chooseFile(nullptr, 11, path), 0);
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(seenFilter, "BMP files (*.bmp)");
}

}  // namespace
}  // namespace kestrel
