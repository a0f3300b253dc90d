#include "frontend/about_dialog.h"

#include <QApplication>
#include <QMessageBox>

#include "frontend/front_end.h"
#include "kestrel_version.h"
#include "machine/config.h"

namespace kestrel {

std::string aboutText() {
    std::string text = std::string(kProgramName) + " " + kVersion + "\n\n";
    text += "An emulator of the EACA EG3003 family (Video Genie, System-80, TRZ-80) and the TRS-80 Model I.\n\n";
    text += "Emulated machines:\n";
    for (size_t i = 0; i < 4; ++i) text += std::string("    ") + kConfigNames[i] + "\n";
    return text;
}

void aboutDialog(QWidget* owner) {
    QMessageBox box(owner);
    box.setWindowTitle(QString("About ") + kProgramName);
    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) box.setIcon(QMessageBox::Information);
    else box.setIconPixmap(icon.pixmap(48, 48));
    box.setText(QString::fromStdString(aboutText()));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace kestrel
