#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "frontend/display_widget.h"
#include "frontend/main_window.h"
#include "frontend/status_bar.h"
#include "host/key_translation.h"

using namespace kestrel;

namespace {

MachineOptions quietOptions() {
    MachineOptions o;
    o.diagnostics = nullptr;
    return o;
}

QString title(const char* text) { return QStringLiteral("KESTREL - ") + QString::fromLatin1(text); }

}  // namespace

TEST(MainWindow, ClientAreaFitsTheImageAndTheStatusBar) {
    MainWindow w(quietOptions());
    w.show();
    EXPECT_EQ(w.windowTitle(), QString::fromLatin1(kInitialTitle));
    EXPECT_EQ(w.display()->size(), QSize(520, 392));
    EXPECT_EQ(w.statusBarWidget()->height(), 24);
    EXPECT_EQ(w.size(), QSize(520, w.menuBar()->height() + 392 + 24));
    EXPECT_EQ(w.display()->imageRect(), QRect(4, 4, 512, 384));

    w.command(cmd::kGiantScreen);
    EXPECT_EQ(w.display()->size(), QSize(776, 584));
    EXPECT_EQ(w.size(), QSize(776, w.menuBar()->height() + 584 + 24));
    // One bit only ever at normal size.
    w.command(cmd::kOneBitDisplay);
    EXPECT_EQ(w.frameImage().bitsPerPixel, 8);
    w.command(cmd::kGiantScreen);
    EXPECT_EQ(w.frameImage().bitsPerPixel, 1);
    EXPECT_EQ(w.display()->size(), QSize(520, 392));
}

TEST(MainWindow, RunStateRulesAndTitles) {
    MainWindow w(quietOptions());
    FrontEndState& s = w.state();
    EXPECT_FALSE(s.running);
    w.activationChanged(true);
    EXPECT_TRUE(s.running);

    QTest::keyClick(&w, Qt::Key_Pause);
    EXPECT_FALSE(s.running);
    EXPECT_TRUE(s.paused);
    EXPECT_EQ(w.windowTitle(), title("(Suspended)"));
    w.command(cmd::kPause);
    EXPECT_TRUE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Restarting)"));

    // Esc does nothing while the monitor's screen is not there (its item is greyed).
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(s.monitorActive);
    // Pausing inside the monitor only flips the switch; leaving does not run.
    w.command(cmd::kMonitor);
    EXPECT_TRUE(s.monitorActive);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Monitor)"));
    w.command(cmd::kPause);
    EXPECT_EQ(w.windowTitle(), title("(Monitor)"));
    w.command(cmd::kMonitor);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Suspended)"));
    w.command(cmd::kPause);
    EXPECT_TRUE(s.running);

    // Inactive: stops unless running in the background.
    w.activationChanged(false);
    EXPECT_FALSE(s.running);
    w.command(cmd::kRunInBackground);
    EXPECT_TRUE(s.running);
    w.activationChanged(false);
    EXPECT_TRUE(s.running);

    // A breakpoint inside a frame drops into the monitor.
    Z80& cpu = w.machine().cpu;
    cpu.breakAddress = cpu.PC;
    cpu.breakEnabled = 1;
    for (int pass = 0; pass < 100 && s.running; ++pass) w.loopPass();
    EXPECT_TRUE(s.monitorActive);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Breakpoint)"));
}

TEST(MainWindow, PageDownWhilePausedRunsOneFrame) {
    MainWindow w(quietOptions());
    Machine& m = w.machine();
    const uint64_t before = m.cpu.tstates;
    QTest::keyClick(&w, Qt::Key_PageDown);
    const uint64_t ran = m.cpu.tstates - before;
    // 1774080 / 50 T-states, plus at most one instruction's overshoot.
    EXPECT_GE(ran, 35481u);
    EXPECT_LT(ran, 35481u + 24);
}

TEST(MainWindow, StatusBarPartsAndLamps) {
    MainWindow w(quietOptions());
    w.show();
    StatusBar* bar = w.statusBarWidget();
    EXPECT_FALSE(bar->partText(0).isEmpty());  // the machine label
    w.showStatus("Disk detached from drive #1\n");
    EXPECT_EQ(bar->partText(2), QStringLiteral("Disk detached from drive #1"));

    auto lampColours = [&] {
        const QImage shot = bar->grab().toImage();
        std::vector<QRgb> colours;
        for (int i = 0; i < 4; ++i) {
            // Lamp i fills x 74+20i..86+20i, y 10..17: check two corners.
            const QRgb a = shot.pixel(74 + 20 * i, 10) & 0xFFFFFF;
            const QRgb b = shot.pixel(86 + 20 * i, 17) & 0xFFFFFF;
            EXPECT_EQ(a, b) << "lamp " << i;
            colours.push_back(a);
        }
        return colours;
    };
    w.machine().setLitLamp(3);
    EXPECT_EQ(lampColours(), (std::vector<QRgb>{0, 0, 0, 0xFF0000}));
    w.machine().setLitLamp(-1);
    EXPECT_EQ(lampColours(), (std::vector<QRgb>{0, 0, 0, 0}));
    // The frame around a lamp is not the fill.
    const QImage shot = bar->grab().toImage();
    EXPECT_NE(shot.pixel(73, 9) & 0xFFFFFF, 0u);

    // Messages shown in full screen are lost for good.
    w.command(cmd::kToggleFullScreen);
    EXPECT_TRUE(w.state().fullScreen);
    EXPECT_FALSE(bar->isVisible());
    // The offscreen screen is 800 x 800: a 4:3 band across it, centred.
    QCoreApplication::processEvents();
    ASSERT_EQ(w.display()->size(), QSize(800, 800));
    EXPECT_EQ(w.display()->imageRect(), QRect(0, 100, 800, 600));
    w.showStatus("lost");
    w.command(cmd::kToggleFullScreen);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->partText(2).isEmpty());
    EXPECT_FALSE(bar->partText(0).isEmpty());
    EXPECT_EQ(w.display()->size(), QSize(520, 392));
}

TEST(MainWindow, KeysReachTheMatrixAndAreReleasedOnFocusLoss) {
    MainWindow w(quietOptions());
    Keyboard& k = w.machine().keyboard;
    QTest::keyPress(&w, Qt::Key_A);
    EXPECT_EQ(k.keyboardRead(0x01) & 0x02, 0x02);  // row 0 bit 1 is A
    QTest::keyRelease(&w, Qt::Key_A);
    EXPECT_EQ(k.keyboardRead(0x01), 0);

    // Punctuation by the US key carrying it, shifted or not.
    EXPECT_EQ(hostKeyCode(Qt::Key_Colon), 0xBA);
    EXPECT_EQ(hostKeyCode(Qt::Key_Question), 0xBF);
    EXPECT_EQ(hostKeyCode(Qt::Key_ParenLeft), '9');
    // Physical positions (Linux input codes), whatever the layout prints on them.
    EXPECT_EQ(hostKeyCodeOfInputCode(16), 'Q');
    EXPECT_EQ(hostKeyCodeOfInputCode(44), 'Z');
    EXPECT_EQ(hostKeyCodeOfInputCode(2), '1');
    EXPECT_EQ(hostKeyCodeOfInputCode(11), '0');
    EXPECT_EQ(hostKeyCodeOfInputCode(39), 0xBA);
    EXPECT_EQ(hostKeyCodeOfInputCode(105), 0x25);
    EXPECT_EQ(hostKeyCodeOfInputCode(0), 0);

    // Tab is a machine key, not focus navigation.
    QTest::keyPress(&w, Qt::Key_Tab);
    EXPECT_NE(k.keyboardRead(0x40), 0);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&w, &out);
    EXPECT_EQ(k.keyboardRead(0x40), 0);
}

TEST(MainWindow, DroppedCmdFileRuns) {
    const auto path = std::filesystem::temp_directory_path() / "kestrel_window_drop.cmd";
    {
        // Load block at 0x5200: LD A,'X'; LD (0x3C00),A; JR $. Then the entry.
        const std::vector<unsigned char> cmd = {0x01, 9,    0x00, 0x52, 0x3E, 'X',  0x32,
                                                0x00, 0x3C, 0x18, 0xFE, 0x02, 0x02, 0x00, 0x52};
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(cmd.data()), cmd.size());
    }
    MachineOptions o = quietOptions();
    std::FILE* devnull = std::fopen("/dev/null", "w");
    o.traceOutput = o.traceErrors = devnull;
    MainWindow w(o);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    // Qt delivers a drop only to the widget that took the drag's entry.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    // Dropped before the first frame: it starts once the firmware waits at its prompt.
    for (int i = 0; i < 10; ++i) QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_EQ(w.machine().bus.memory[0x3C00], 'X');
    std::filesystem::remove(path);
    std::fclose(devnull);
}

TEST(MainWindow, F9WritesTheDisassemblyAndF8DumpsMemoryInTheMonitor) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kestrel-f9-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path saved = fs::current_path();
    fs::current_path(dir);
    {
        MainWindow w(quietOptions());
        w.show();
        w.machine().bus.memory[0x37E0] = 0x00;
        QTest::keyClick(&w, Qt::Key_F9);
        EXPECT_TRUE(fs::exists(dir / "eaca_disass.txt"));
        EXPECT_EQ(w.statusBarWidget()->partText(2).toStdString(), "Disassembly dump to: " + dir.string());
        // F8 outside the monitor writes nothing; in the monitor the memory dump.
        QTest::keyClick(&w, Qt::Key_F8);
        EXPECT_FALSE(fs::exists(dir / "memdump.bin"));
        w.command(cmd::kMonitor);
        QTest::keyClick(&w, Qt::Key_F8);
        EXPECT_EQ(fs::file_size(dir / "memdump.bin"), 65535u);
    }
    fs::current_path(saved);
    fs::remove_all(dir);
}
