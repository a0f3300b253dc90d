#include "frontend/address_panel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cstdio>

namespace kestrel {

uint16_t parseHexAddress(const std::string& text) {
    // The edit buffer keeps four characters; scanf then reads at most four digits.
    const std::string kept = text.substr(0, 4);
    unsigned short value = 0;
    if (std::sscanf(kept.c_str(), "%4hx", &value) != 1) return 0;
    return value;
}

AddressPanel::AddressPanel(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Save memory as CAS file");
    auto* form = new QFormLayout;
    auto makeEdit = [this, form](const char* label, const char* preset) {
        auto* edit = new QLineEdit(QString::fromLatin1(preset), this);
        edit->setMaxLength(4);
        form->addRow(QString::fromLatin1(label), edit);
        return edit;
    };
    from_ = makeEdit("From address:", kFromPreset);
    end_ = makeEdit("End address:", kEndPreset);
    entry_ = makeEdit("Start address:", kEntryPreset);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

CasAddresses AddressPanel::addresses() const {
    return {parseHexAddress(from_->text().toStdString()), parseHexAddress(end_->text().toStdString()),
            parseHexAddress(entry_->text().toStdString())};
}

bool askCasAddresses(QWidget* owner, CasAddresses& out) {
    AddressPanel panel(owner);
    if (panel.exec() != QDialog::Accepted) return false;
    out = panel.addresses();
    return true;
}

}  // namespace kestrel
