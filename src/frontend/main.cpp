// kestrel: the emulator in its window. kestrel --help lists the options.
#include <QApplication>
#include <QBuffer>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/screenshot.h"
#include "frontend/command_line.h"
#include "frontend/main_window.h"
#include "io/file_io.h"
#include "kestrel_version.h"
#include "machine/rom_supply.h"
#include "devices/typed_text.h"

namespace {

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
    // Parsed before Qt needs a display, so --help works anywhere.
    std::string error;
    const std::optional<kestrel::CommandLine> line =
        kestrel::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!line) {
        std::fprintf(stderr, "kestrel: %s (try --help)\n", error.c_str());
        return 2;
    }
    if (line->help) {
        std::fputs(kestrel::commandLineUsage().c_str(), stdout);
        return 0;
    }
    if (line->version) {
        std::printf("kestrel %s\n", kestrel::kVersion);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrel"));
    QApplication::setApplicationVersion(QString::fromLatin1(kestrel::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("kestrel"));
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) icon.addFile(QStringLiteral(":/icons/%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    const char* env = std::getenv("KESTREL_ROM_DIR");
    kestrel::MachineOptions mo;
    mo.romDirectory = kestrel::findRomDirectory(line->romDir.empty() ? (env ? env : "") : line->romDir,
                                                std::getenv("XDG_DATA_HOME"), std::getenv("HOME"),
                                                QCoreApplication::applicationDirPath().toStdString());
    kestrel::StartRequest request;
    request.settingsPath = kestrel::Settings::defaultPath();
    request.printerPath = kestrel::Settings::dataPath("printer.txt");
    request.commandLine = *line;
    kestrel::MainWindow window(mo, request);
    if (line->printTitle) {
        QObject::connect(&window, &QWidget::windowTitleChanged, [](const QString& title) {
            std::fprintf(stderr, "%s\n", title.toStdString().c_str());
        });
    }
    int status = 0;
    // The pictures a script asked for, taken as --quit-after closes the window.
    window.quitting = [&] {
        if (!line->screenshotWindow.empty() && !saveWindowPicture(*window.centralWidget(), line->screenshotWindow))
            status = 1;
        if (!line->frameImage.empty() && !kestrel::writeBmp(window.frameImage(), line->frameImage)) status = 1;
    };
    window.show();
    window.activateWindow();
    if (!line->type.empty()) window.machine().appendTypedText(kestrel::unescapeTypedText(line->type));
    const int code = window.runMainLoop();
    return status ? status : code;
}
