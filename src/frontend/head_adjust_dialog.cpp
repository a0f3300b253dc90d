#include "frontend/head_adjust_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace kestrel {

HeadAdjustDialog::HeadAdjustDialog(int level, bool inverted, QWidget* owner) : QDialog(owner) {
    setWindowTitle("Tape head adjust");
    setMinimumWidth(340);  // room for the whole title
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setRange(0, kMaxLevel);
    slider_->setPageStep(7);
    slider_->setValue(std::clamp(level, 0, kMaxLevel));
    edit_ = new QLineEdit(QString::number(slider_->value()), this);
    edit_->setValidator(new QIntValidator(0, 999, edit_));
    edit_->setMaximumWidth(60);
    invert_ = new QCheckBox("Invert  tape sample input", this);
    invert_->setChecked(inverted);
    connect(slider_, &QSlider::valueChanged, edit_, [this](int value) { edit_->setText(QString::number(value)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(slider_);
    row->addWidget(edit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(invert_);
    layout->addWidget(buttons);
}

int HeadAdjustDialog::level() const { return std::clamp(edit_->text().toInt(), 0, kMaxLevel); }

bool HeadAdjustDialog::inverted() const { return invert_->isChecked(); }

bool askTapeHead(QWidget* owner, int& level, bool& inverted) {
    HeadAdjustDialog dialog(level, inverted, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    level = dialog.level();
    inverted = dialog.inverted();
    return true;
}

}  // namespace kestrel
