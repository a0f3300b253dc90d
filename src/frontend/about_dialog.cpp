#include "frontend/about_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "frontend/front_end.h"
#include "kestrel_version.h"

namespace kestrel {

namespace {

// The application's icon, else the installed one, else the information icon.
QIcon programIcon(const QWidget& box) {
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = QIcon::fromTheme("kestrel");
    if (icon.isNull()) icon = box.style()->standardIcon(QStyle::SP_MessageBoxInformation);
    return icon;
}

}  // namespace

std::string aboutText() {
    std::string text = std::string(kProgramName) + " " + kVersion + "\n\n";
    text += "An emulator of the EACA EG3003 family (KESTREL, System-80, TRZ-80, VideoGenie) "
            "and of the TRS-80 Model I.\n\n";
    text += "Licensed under the MIT License.";
    return text;
}

void aboutDialog(QWidget* owner) {
    QDialog box(owner);
    box.setWindowTitle(QString("About ") + kProgramName);

    auto* icon = new QLabel;
    icon->setPixmap(programIcon(box).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(QString::fromStdString(aboutText()));
    text->setWordWrap(true);
    auto* link = new QLabel(
        QString("<a href=\"%1\" style=\"color:#0000ff; text-decoration:underline\">%1</a>").arg(kProjectUrl));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setOpenExternalLinks(true);
    link->setCursor(Qt::PointingHandCursor);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);

    auto* words = new QVBoxLayout;
    words->addWidget(text);
    words->addWidget(link);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(words);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(top);
    layout->addWidget(buttons);
    box.exec();
}

}  // namespace kestrel
