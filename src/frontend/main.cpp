// kestrel: the emulator in its window.
//
// Options: --rom-dir DIR, and an optional FILE to autostart. For scripted
// checks: --type TEXT (typed through the keyboard trap after what FILE types,
// "\n" for RETURN), --quit-after-seconds S, and at that moment
// --screenshot-window FILE (the window's client area as grabbed) and
// --frame-image FILE (the frame image, BMP);
// --no-limit-speed starts with Limit speed off, --print-title writes every
// title change (the speed read-out among them) to the standard error stream.
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture/screenshot.h"
#include "frontend/main_window.h"
#include "io/file_io.h"
#include "machine/rom_supply.h"
#include "session/autostart.h"
#include "devices/typed_text.h"

namespace {

struct Options {
    std::string romDir, type, screenshotWindow, frameImage, file;
    double quitAfterSeconds = -1;
    bool noLimitSpeed = false;
    bool printTitle = false;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& to) {
            if (i + 1 >= argc) return false;
            to = argv[++i];
            return true;
        };
        bool ok = true;
        if (a == "--rom-dir") ok = value(o.romDir);
        else if (a == "--type") ok = value(o.type);
        else if (a == "--screenshot-window") ok = value(o.screenshotWindow);
        else if (a == "--frame-image") ok = value(o.frameImage);
        else if (a == "--no-limit-speed") o.noLimitSpeed = true;
        else if (a == "--print-title") o.printTitle = true;
        else if (a == "--quit-after-seconds") {
            std::string s;
            ok = value(s);
            if (ok) o.quitAfterSeconds = std::atof(s.c_str());
        } else if (!a.empty() && a[0] != '-' && o.file.empty()) o.file = a;
        else ok = false;
        if (!ok) {
            std::fprintf(stderr, "kestrel: bad argument %s\n", a.c_str());
            return false;
        }
    }
    return true;
}

// The window's client area as grabbed, as a BMP file.
bool saveWindowPicture(QWidget& window, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!window.grab().toImage().save(&buffer, "BMP")) return false;
    const kestrel::IoResult written = kestrel::writeFileAtomic(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       static_cast<size_t>(bytes.size())));
    if (!written) std::fprintf(stderr, "kestrel: %s\n", written.message.c_str());
    return written.ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Options o;
    if (!parse(argc, argv, o)) return 2;

    const char* env = std::getenv("KESTREL_ROM_DIR");
    kestrel::MachineOptions mo;
    mo.romDirectory = kestrel::findRomDirectory(o.romDir.empty() ? (env ? env : "") : o.romDir,
                                                std::getenv("XDG_DATA_HOME"), std::getenv("HOME"),
                                                QCoreApplication::applicationDirPath().toStdString());
    kestrel::MainWindow window(mo);
    if (o.printTitle) {
        QObject::connect(&window, &QWidget::windowTitleChanged, [](const QString& title) {
            std::fprintf(stderr, "%s\n", title.toStdString().c_str());
        });
    }
    if (o.noLimitSpeed) window.command(kestrel::cmd::kLimitSpeed);
    window.show();
    window.activateWindow();

    kestrel::Machine& m = window.machine();
    // A refused file has said why (status bar and stderr); the machine runs all the same.
    if (!o.file.empty()) window.startFile(o.file);
    if (!o.type.empty()) m.appendTypedText(kestrel::unescapeTypedText(o.type));
    int status = 0;
    if (o.quitAfterSeconds >= 0) {
        QTimer::singleShot(static_cast<int>(o.quitAfterSeconds * 1000), &window, [&] {
            if (!o.screenshotWindow.empty() && !saveWindowPicture(*window.centralWidget(), o.screenshotWindow)) status = 1;
            if (!o.frameImage.empty() && !kestrel::writeBmp(window.frameImage(), o.frameImage)) status = 1;
            window.close();
        });
    }
    const int code = window.runMainLoop();
    return status ? status : code;
}
