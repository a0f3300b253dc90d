#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>

#include <filesystem>
#include <vector>

#include "frontend/display_widget.h"
#include "frontend/main_window.h"
#include "frontend/status_bar.h"
#include "host/key_translation.h"
#include "host/keypad_joystick.h"
#include "machine/screen_text.h"
#include "quiet_machine.h"
#include "scratch_files.h"

using namespace kestrel;

namespace {

using test::quietMachineOptions;

QString title(const char* text) { return QStringLiteral("KESTREL - ") + QString::fromLatin1(text); }

}  // namespace

TEST(MainWindow, ClientAreaFitsTheImageAndTheStatusBar) {
    MainWindow w(quietMachineOptions());
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

    // Window sizes: each choice, then the scale it leaves and the checks.
    const std::pair<int, int> scales[] = {
        {cmd::kWindowScale2, 2}, {cmd::kWindowScale3, 3}, {cmd::kWindowScale3, 1}, {cmd::kWindowScale2, 2},
        {cmd::kWindowScale2, 1},
    };
    for (const auto& [id, scale] : scales) {
        w.command(id);
        EXPECT_EQ(w.state().windowScale, scale) << id;
        EXPECT_EQ(w.display()->size(), QSize(512 * scale + 8, 384 * scale + 8)) << id;
        EXPECT_EQ(w.display()->imageRect(), QRect(4, 4, 512 * scale, 384 * scale)) << id;
        EXPECT_EQ(w.action(cmd::kWindowScale2)->isChecked(), scale == 2) << id;
        EXPECT_EQ(w.action(cmd::kWindowScale3)->isChecked(), scale == 3) << id;
    }
    // The scale applies to the giant image too, drawn without blending.
    w.command(cmd::kWindowScale2);
    w.command(cmd::kGiantScreen);
    EXPECT_EQ(w.display()->size(), QSize(1544, 1160));
    w.machine().loadMemory(0x3C00, std::array<uint8_t, 4>{'K', 'E', 'S', 'T'});
    w.machine().renderFrame(w.state().display);
    const QImage frame = wrapFrameImage(w.frameImage()).convertToFormat(QImage::Format_RGB32);
    const QImage shot = w.display()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int lit = 0, wrong = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb dot = frame.pixel(x, y);
            lit += dot != frame.pixel(0, 0);
            for (int d = 0; d < 4; ++d) wrong += shot.pixel(4 + 2 * x + d % 2, 4 + 2 * y + d / 2) != dot;
        }
    EXPECT_GT(lit, 0);
    EXPECT_EQ(wrong, 0);
}

TEST(MainWindow, RunStateRulesAndTitles) {
    MainWindow w(quietMachineOptions());
    FrontEndState& s = w.state();
    EXPECT_FALSE(s.running);
    // Page Down while stopped runs one frame: 1774080 / 50 T-states, plus at
    // most one instruction's overshoot.
    const uint64_t before = w.machine().tstates();
    QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_GE(w.machine().tstates() - before, 35481u);
    EXPECT_LT(w.machine().tstates() - before, 35481u + 24);
    w.activationChanged(true);
    EXPECT_TRUE(s.running);

    QTest::keyClick(&w, Qt::Key_Pause);
    EXPECT_FALSE(s.running);
    EXPECT_TRUE(s.paused);
    EXPECT_EQ(w.windowTitle(), title("(Suspended)"));
    w.command(cmd::kPause);
    EXPECT_TRUE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Restarting)"));

    // Pausing inside the monitor only flips the switch; leaving does not run.
    QTest::keyClick(&w, Qt::Key_Escape);
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

    // Inactive: stops unless running in the background, and says so.
    w.activationChanged(false);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Suspended)"));
    w.activationChanged(true);
    EXPECT_EQ(w.windowTitle(), title("(Restarting)"));
    w.activationChanged(false);
    w.command(cmd::kRunInBackground);
    EXPECT_TRUE(s.running);
    w.activationChanged(false);
    EXPECT_TRUE(s.running);

    // A breakpoint inside a frame drops into the monitor.
    w.machine().toggleBreakpoint(w.machine().processor().PC);
    for (int pass = 0; pass < 100 && s.running; ++pass) w.loopPass();
    EXPECT_TRUE(s.monitorActive);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(w.windowTitle(), title("(Breakpoint)"));
}

TEST(MainWindow, StatusBarPartsAndLamps) {
    MainWindow w(quietMachineOptions());
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
    // The window's fixed size is lifted, or a window manager keeps it small.
    EXPECT_GE(w.maximumSize().width(), 800);
    EXPECT_GE(w.maximumSize().height(), 800);
    // Screen sizes: a whole multiple of 512 x 384 when it comes close to the
    // largest 4:3 area, else that area.
    const std::pair<QSize, QRect> screens[] = {
        {QSize(1920, 1080), QRect(240, 0, 1440, 1080)},
        {QSize(1920, 1200), QRect(192, 24, 1536, 1152)},
        {QSize(1366, 768), QRect(171, 0, 1024, 768)},
        {QSize(1600, 900), QRect(288, 66, 1024, 768)},
    };
    for (const auto& [size, rect] : screens) {
        w.display()->resize(size);
        EXPECT_EQ(w.display()->imageRect(), rect) << size.width() << "x" << size.height();
    }
    w.showStatus("lost");
    // Esc leaves full screen too.
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.state().fullScreen);
    EXPECT_FALSE(w.state().monitorActive);
    w.command(cmd::kToggleFullScreen);
    w.command(cmd::kToggleFullScreen);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->partText(2).isEmpty());
    EXPECT_FALSE(bar->partText(0).isEmpty());
    EXPECT_EQ(w.display()->size(), QSize(520, 392));
}

// The machine's frames, as many as it takes the keys waiting to reach it.
void runFrames(MainWindow& w, int frames) {
    Machine& m = w.machine();
    for (int i = 0; i < frames; ++i) m.runFrame();
    for (int i = 0; i < 5000 && !m.keyboard().settled(); ++i) m.runFrame();
}

// Host text as a US keyboard sends it, each key pressed and let go at once, a
// frame apart; with Caps Lock the letters come in upper case without Shift.
void typeKeys(MainWindow& w, const char* text, bool capsLock = false) {
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        Qt::Key key = Qt::Key_Return;
        if (c >= 'a' && c <= 'z') key = Qt::Key(Qt::Key_A + (c - 'a'));
        else if (c >= 'A' && c <= 'Z') key = Qt::Key(Qt::Key_A + (c - 'A'));
        else if (c >= '0' && c <= '9') key = Qt::Key(Qt::Key_0 + (c - '0'));
        else if (c == ' ') key = Qt::Key_Space;
        else if (c == '"') key = Qt::Key_QuoteDbl;
        else if (c == '@') key = Qt::Key_At;
        const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
        const bool shift = (c == '"' || c == '@' || (c >= 'A' && c <= 'Z')) != (capsLock && letter);
        const Qt::KeyboardModifiers mods = shift ? Qt::ShiftModifier : Qt::NoModifier;
        const QString t = QString(QChar::fromLatin1(c));
        QTest::sendKeyEvent(QTest::Press, &w, key, t, mods);
        QTest::sendKeyEvent(QTest::Release, &w, key, t, mods);
        w.machine().runFrame();
    }
    runFrames(w, 30);
}

std::string screenLines(MainWindow& w) { return screenText(w.machine().memory().data() + 0x3C00, "\n"); }

TEST(MainWindow, TypedTextReachesTheScreenInBothMappings) {
    struct Case {
        bool symbolic, capsLock;
        const char* typed;
    };
    const Case cases[] = {
        {true, false, "PRINT \"Hello World\"\r"},
        {true, true, "PRINT \"Hello World\"\r"},
        {false, false, "PRINT @Hello World@\r"},  // the machine's " is SHIFT 2
        {false, true, "PRINT @Hello World@\r"},
    };
    for (const Case& c : cases) {
        MainWindow w(quietMachineOptions());
        if (c.symbolic != w.state().symbolicKeys) w.command(cmd::kSymbolicKeys);
        runFrames(w, 20);
        typeKeys(w, "\r");  // MEMORY SIZE?
        typeKeys(w, c.typed, c.capsLock);
        const std::string screen = screenLines(w);
        EXPECT_NE(screen.find(">PRINT \"Hello World\"  "), std::string::npos) << &c - cases << "\n" << screen;
        EXPECT_NE(screen.find("\nHello World  "), std::string::npos) << &c - cases << "\n" << screen;
    }
}

TEST(MainWindow, KeysReachTheMatrixAndAreReleasedOnFocusLoss) {
    MainWindow w(quietMachineOptions());
    Keyboard& k = w.machine().keyboard();
    QTest::keyPress(&w, Qt::Key_A);
    EXPECT_EQ(k.keyboardRead(0x01) & 0x02, 0x02);  // row 0 bit 1 is A
    QTest::keyRelease(&w, Qt::Key_A);
    runFrames(w, 0);
    EXPECT_EQ(k.keyboardRead(0x01), 0);

    // Punctuation by the US key carrying it, shifted or not.
    using Pair = std::pair<int, int>;
    for (const auto& [key, code] : {Pair{Qt::Key_Colon, 0xBA}, {Qt::Key_Question, 0xBF}, {Qt::Key_ParenLeft, '9'}})
        EXPECT_EQ(hostKeyCode(key), code) << key;
    // Physical positions (Linux input codes), whatever the layout prints on them.
    for (const auto& [input, code] : {Pair{16, 'Q'}, {44, 'Z'}, {2, '1'}, {11, '0'}, {39, 0xBA}, {105, 0x25}, {0, 0}})
        EXPECT_EQ(hostKeyCodeOfInputCode(input), code) << input;

    // Tab is a machine key, not focus navigation; losing the keyboard lets
    // go of it, by focus or by the window going inactive.
    for (QEvent::Type lost : {QEvent::FocusOut, QEvent::WindowDeactivate}) {
        QTest::keyPress(&w, Qt::Key_Tab);
        runFrames(w, 0);
        EXPECT_NE(k.keyboardRead(0x40), 0);
        QFocusEvent out(lost, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(&w, &out);
        runFrames(w, 0);
        EXPECT_EQ(k.keyboardRead(0x40), 0) << lost;
    }
}

TEST(MainWindow, AModifierLetGoElsewhereIsLetGoHereToo) {
    MainWindow w(quietMachineOptions());
    w.show();
    Keyboard& k = w.machine().keyboard();
    // Alt+Enter twice, Alt+T, the chooser closed while Alt goes up in it.
    QTest::keyClick(&w, Qt::Key_Return, Qt::AltModifier);
    QTest::keyClick(&w, Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(w.state().fullScreen);
    bool chooserShown = false;
    QTimer::singleShot(100, [&chooserShown] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            chooserShown = true;
            QTest::keyRelease(dialog, Qt::Key_Alt);
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    });
    QTest::keyPress(&w, Qt::Key_Alt);
    QTest::keyPress(&w, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(chooserShown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (bool symbolic : {true, false}) {
        if (!symbolic) w.command(cmd::kSymbolicKeys);
        QTest::keyPress(&w, Qt::Key_Space);
        runFrames(w, 0);
        EXPECT_EQ(k.keyboardRead(0x40), 0x80) << symbolic;
        QTest::keyRelease(&w, Qt::Key_Space);
        runFrames(w, 0);
        // An Alt whose release went elsewhere, without any dialog.
        QTest::keyPress(&w, Qt::Key_Alt);
        QTest::keyPress(&w, Qt::Key_Return, Qt::NoModifier);
        runFrames(w, 0);
        EXPECT_EQ(k.keyboardRead(0x40), 0x01) << symbolic;
        EXPECT_FALSE(k.hostKeyIsDown(hostkey::kAlt));
        QTest::keyRelease(&w, Qt::Key_Return);
        runFrames(w, 0);
    }
}

// With the keypad joystick on, its keys steer joystick 1 and never reach the
// emulated keyboard; off, keypad 8 types an 8 again.
TEST(MainWindow, KeypadJoystickTakesItsKeys) {
    MainWindow w(quietMachineOptions());
    Machine& m = w.machine();
    const auto send = [&w](QEvent::Type type, int key, Qt::KeyboardModifiers mods, quint32 symbol = 0) {
        QKeyEvent e(type, key, mods, 0, symbol, 0);
        QCoreApplication::sendEvent(&w, &e);
    };
    const auto matrixEmpty = [&] {
        runFrames(w, 0);
        for (int row = 0; row < 8; ++row)
            if (m.keyboard().keyboardRead(static_cast<uint8_t>(1u << row))) return false;
        return true;
    };
    EXPECT_FALSE(w.state().keypadJoystick);
    w.command(cmd::kKeypadJoystick);
    EXPECT_TRUE(w.action(cmd::kKeypadJoystick)->isChecked());
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        quint32 symbol;
        uint8_t port;
    };
    const Case cases[] = {
        {Qt::Key_8, Qt::KeypadModifier, 0, 0xFE},        {Qt::Key_Up, Qt::KeypadModifier, 0, 0xFE},  // Num Lock off
        {Qt::Key_Up, Qt::NoModifier, 0, 0xFE},           {Qt::Key_2, Qt::KeypadModifier, 0, 0xFD},
        {Qt::Key_Left, Qt::NoModifier, 0, 0xFB},         {Qt::Key_6, Qt::KeypadModifier, 0, 0xF7},
        {Qt::Key_7, Qt::KeypadModifier, 0, 0xFA},        {Qt::Key_PageDown, Qt::KeypadModifier, 0, 0xF5},
        {Qt::Key_0, Qt::KeypadModifier, 0, 0xEF},        {Qt::Key_Control, Qt::NoModifier, 0xFFE4, 0xEF},
        {Qt::Key_Control, Qt::NoModifier, 0xFFE3, 0xFF},  // the left Ctrl is the keyboard's
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << std::hex << c.key);
        send(QEvent::KeyPress, c.key, c.mods, c.symbol);
        EXPECT_EQ(m.joystickPortByte(0), c.port);
        if (c.port != 0xFF) {
            EXPECT_TRUE(matrixEmpty());
        }
        send(QEvent::KeyRelease, c.key, c.mods, c.symbol);
        EXPECT_EQ(m.joystickPortByte(0), 0xFF);
    }
    // Fire with a direction; the keys let go when the keyboard goes elsewhere.
    send(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier, 0xFFE4);
    send(QEvent::KeyPress, Qt::Key_4, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_EQ(m.joystickPortByte(0), 0xEB);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(&w, &out);
    EXPECT_EQ(m.joystickPortByte(0), 0xFF);

    // On top of a controller: a held key pushes the axis to its end, fire adds to its buttons.
    KeypadJoystick keypad;
    const JoystickState pad{.connected = true, .x = 9000, .y = 0, .axisMin = -32768, .axisMax = 32767, .buttons = 4};
    EXPECT_EQ(joystickPortByte(keypad.over(pad)), 0xF7);
    const QKeyEvent up(QEvent::KeyPress, Qt::Key_8, Qt::KeypadModifier);
    const QKeyEvent fire(QEvent::KeyPress, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_TRUE(keypad.keyEvent(up, true) && keypad.keyEvent(fire, true));
    const JoystickState both = keypad.over(pad);
    EXPECT_EQ(both.y, -32768);
    EXPECT_EQ(both.buttons, 5u);
    EXPECT_EQ(joystickPortByte(both), 0xE6);

    w.command(cmd::kKeypadJoystick);
    send(QEvent::KeyPress, Qt::Key_8, Qt::KeypadModifier);
    EXPECT_EQ(m.joystickPortByte(0), 0xFF);
    EXPECT_FALSE(matrixEmpty());
    EXPECT_EQ(m.keyboard().keyboardRead(0x20), 0x01);  // row 5 bit 0 is 8
    send(QEvent::KeyRelease, Qt::Key_8, Qt::KeypadModifier);
}

TEST(MainWindow, TheKeyboardComesBackToTheScreenWhenAMenuCloses) {
    MainWindow w(quietMachineOptions());
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.activationChanged(true);
    QMenu* menu = w.menuBar()->actions().first()->menu();
    ASSERT_NE(menu, nullptr);
    w.menuBar()->setActiveAction(menu->menuAction());
    ASSERT_TRUE(menu->isVisible());
    // Esc leaves the menu bar holding the keyboard for its mnemonics.
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_EQ(w.focusWidget(), w.menuBar());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.focusWidget(), &w);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // Letters typed now go to the machine, not to a menu.
    QTest::keyClick(w.focusWidget(), Qt::Key_E);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(w.state().running);
}

TEST(MainWindow, DroppedCmdFileRuns) {
    test::ScratchDir dir;
    // Load block at 0x5200: LD A,'X'; LD (0x3C00),A; JR $. Then the entry.
    const std::string path = dir.write("drop.cmd", {0x01, 9, 0x00, 0x52, 0x3E, 'X', 0x32, 0x00, 0x3C, 0x18, 0xFE, 0x02,
                                                    0x02, 0x00, 0x52});
    MainWindow w(quietMachineOptions());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    // Qt delivers a drop only to the widget that took the drag's entry.
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    // Dropped before the first frame: it starts once the firmware waits at its prompt.
    for (int i = 0; i < 10; ++i) QTest::keyClick(&w, Qt::Key_PageDown);
    EXPECT_EQ(w.machine().memory()[0x3C00], 'X');
}

TEST(MainWindow, MonitorKeysStepScrollBreakAndLeave) {
    MainWindow w(quietMachineOptions());
    w.show();
    Machine& m = w.machine();
    m.loadMemory(0x5000, std::array<uint8_t, 4>{0x3C, 0x3C, 0x18, 0xFC});  // inc a, inc a, jr 5000h
    m.setProgramCounter(0x5000);
    // The view goes into the frame image: lit text, and under the three
    // register rows a rule across, which the memory view has not.
    auto ruled = [&] {
        const QImage image = wrapFrameImage(w.frameImage()).convertToFormat(QImage::Format_RGB32);
        int lit = 0, rule = 0;
        for (int x = 0; x < image.width(); ++x) {
            rule += image.pixel(x, 35) == qRgb(255, 255, 255);
            for (int y = 0; y < 35; ++y) lit += image.pixel(x, y) != qRgb(0, 0, 0);
        }
        EXPECT_GT(lit, 0);
        return rule == image.width();
    };
    QTest::keyClick(&w, Qt::Key_Escape);
    ASSERT_TRUE(w.state().monitorActive);
    EXPECT_TRUE(ruled());

    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_EQ(m.processor().PC, 0x5001);
    QTest::keyClick(&w, Qt::Key_Down);
    EXPECT_EQ(w.monitor().disassemblyStart(), 0x5002);
    QTest::keyClick(&w, Qt::Key_F4);
    EXPECT_EQ(m.processor().breakAddress, 0x5002);
    EXPECT_TRUE(m.processor().breakEnabled);
    QTest::keyClick(&w, Qt::Key_F7);
    EXPECT_EQ(m.processor().PC, 0x5002);
    EXPECT_EQ(w.windowTitle(), title("(Breakpoint)"));
    EXPECT_TRUE(w.monitor().followsPc());
    // One notch down: two instructions on.
    QWheelEvent wheel(QPointF(8, 8), QPointF(8, 8), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.display(), &wheel);
    EXPECT_EQ(w.monitor().disassemblyStart(), 0x5005);
    QTest::keyClick(&w, Qt::Key_F2);
    EXPECT_EQ(w.monitor().view(), Monitor::kMemory);
    EXPECT_FALSE(ruled());

    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.state().monitorActive);
    EXPECT_EQ(w.monitor().view(), Monitor::kMemory);
}

TEST(MainWindow, F9WritesTheDisassemblyAndF8DumpsMemoryInTheMonitor) {
    namespace fs = std::filesystem;
    test::ScratchDir dir;
    test::CurrentDirGuard inDir(dir.path());
    MainWindow w(quietMachineOptions());
    w.show();
    w.machine().loadMemory(0x37E0, std::array<uint8_t, 1>{0x00});
    const auto said = [&] { return w.statusBarWidget()->partText(2).toStdString(); };
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_TRUE(fs::exists(dir.file("eaca_disass.txt")));
    EXPECT_EQ(said(), "Disassembly dump to: " + dir.file("eaca_disass.txt"));
    // F8 outside the monitor writes nothing; in the monitor the memory dump.
    QTest::keyClick(&w, Qt::Key_F8);
    EXPECT_FALSE(fs::exists(dir.file("memdump.bin")));
    w.command(cmd::kMonitor);
    QTest::keyClick(&w, Qt::Key_F8);
    EXPECT_EQ(fs::file_size(dir.file("memdump.bin")), 65535u);
    EXPECT_EQ(said(), "Memory dump saved: " + dir.file("memdump.bin"));
    // A write that fails says why.
    fs::remove(dir.file("eaca_disass.txt"));
    fs::create_directory(dir.file("eaca_disass.txt"));
    QTest::keyClick(&w, Qt::Key_F9);
    EXPECT_NE(said().find("eaca_disass.txt: it is a directory"), std::string::npos);
}
