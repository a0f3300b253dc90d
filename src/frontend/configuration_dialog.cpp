#include "frontend/configuration_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>
#include <span>

#include "frontend/file_choosers.h"
#include "frontend/settings.h"
#include "machine/machine.h"

namespace kestrel {

namespace {

constexpr std::array<const char*, ConfigurationDialog::kRomFiles> kPathSettings = {
    "BasicROMPath", "ExpansionROMPath", "CharROMPath"};
constexpr const char* kClockSetting = "CustomCpuClockFreq";
constexpr const char* kBlankSetting = "CustomScreenFreq";

constexpr std::array<uint32_t MachineConfig::*, ConfigurationDialog::kLists> kFields = {
    &MachineConfig::basicRom, &MachineConfig::expansionRom, &MachineConfig::charRom, &MachineConfig::ramSize};
constexpr std::array<const char*, ConfigurationDialog::kLists> kListTitles = {
    "&BASIC ROM set", "&Expansion EPROM", "&Character ROM", "&RAM size"};

constexpr int64_t kMinClockHz = 50000, kMaxClockHz = 100000000;
constexpr int64_t kMinBlankHz = 5, kMaxBlankHz = 200;

std::span<const char* const> listEntries(int which) {
    switch (which) {
    case ConfigurationDialog::kBasicList: return kBasicRomNames;
    case ConfigurationDialog::kExpansionList: return kExpansionRomNames;
    case ConfigurationDialog::kCharList: return kCharRomNames;
    default: return kRamSizeNames;
    }
}

// The box's text as a whole number within lo..hi; nothing otherwise.
std::optional<uint32_t> numberIn(const QComboBox* box, int64_t lo, int64_t hi) {
    bool ok = false;
    const qlonglong value = box->currentText().trimmed().toLongLong(&ok);
    if (!ok || value < lo || value > hi) return std::nullopt;
    return static_cast<uint32_t>(value);
}

// Every entry in view, none scrolled away.
void fitEntries(QListWidget* list) {
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int frame = 2 * list->frameWidth();
    list->setFixedHeight(list->sizeHintForRow(0) * list->count() + frame);
    list->setMinimumWidth(list->sizeHintForColumn(0) + frame + 8);
}

QComboBox* editableBox(std::initializer_list<const char*> offers, const QString& shown) {
    auto* box = new QComboBox;
    box->setEditable(true);
    for (const char* offer : offers) box->addItem(QString::fromLatin1(offer));
    box->setCurrentText(shown);
    return box;
}

}  // namespace

ConfigurationDialog::ConfigurationDialog(Machine& machine, Settings& settings, QWidget* owner)
    : QDialog(owner), machine_(machine), settings_(settings),
      work_(machine.configuration(kCustomConfigIndex)), selected_(machine.activeConfigIndex()),
      // With the custom machine running there is no standard one to go back
      // to; "Standard" then starts from the first.
      rememberedStandard_(selected_ == kCustomConfigIndex ? 0 : selected_) {
    setWindowTitle("Machine configuration");

    standard_ = new QRadioButton("&Standard machine configuration");
    custom_ = new QRadioButton("&Custom machine configuration");
    standardList_ = new QListWidget;
    for (int i = 0; i < kCustomConfigIndex; ++i) standardList_->addItem(QString::fromLatin1(kConfigNames[static_cast<size_t>(i)]));
    standardList_->setCurrentRow(selected_ == kCustomConfigIndex ? rememberedStandard_ : selected_);
    fitEntries(standardList_);

    auto* grid = new QGridLayout;
    for (int which = 0; which < kLists; ++which) {
        auto* list = new QListWidget;
        for (const char* entry : listEntries(which)) list->addItem(QString::fromLatin1(entry));
        list->setCurrentRow(static_cast<int>(work_.*kFields[static_cast<size_t>(which)]));
        fitEntries(list);
        auto* label = new QLabel(kListTitles[static_cast<size_t>(which)]);
        label->setBuddy(list);
        lists_[static_cast<size_t>(which)] = list;
        listLabels_[static_cast<size_t>(which)] = label;
        auto* column = new QVBoxLayout;
        column->addWidget(label);
        column->addWidget(list);
        if (which < kRomFiles) {
            std::string path;
            settings_.readString(kPathSettings[static_cast<size_t>(which)], path);
            openedPaths_[static_cast<size_t>(which)] = path;
            auto* edit = new QLineEdit;
            edit->setMaxLength(static_cast<int>(kMaxFileNameLength));
            edit->setText(QString::fromStdString(path));
            auto* button = new QPushButton("...");
            button->setFixedWidth(button->fontMetrics().horizontalAdvance("...") + 24);
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, which] { browse(which); });
            romEdits_[static_cast<size_t>(which)] = edit;
            browse_[static_cast<size_t>(which)] = button;
            auto* row = new QHBoxLayout;
            row->addWidget(edit);
            row->addWidget(button);
            column->addLayout(row);
        }
        column->addStretch();
        grid->addLayout(column, which / 2, which % 2);
    }

    uint32_t clockHz = work_.cpuClockHz, blankHz = work_.frameHz;
    settings_.readNumber(kClockSetting, clockHz);
    settings_.readNumber(kBlankSetting, blankHz);
    clock_ = editableBox({"1774080", "1747200"}, QString::number(clockHz));
    blank_ = editableBox({"60", "50"}, QString::number(blankHz));
    const uint32_t fill = machine_.ramStartupPattern();
    pattern_ = editableBox({"Random", "0", "32", "255"}, fill < 256 ? QString::number(fill) : QString("Random"));
    clockLabel_ = new QLabel("CPU c&lock (Hz):");
    clockLabel_->setBuddy(clock_);
    blankLabel_ = new QLabel("&Vertical blank (Hz):");
    blankLabel_->setBuddy(blank_);
    auto* patternLabel = new QLabel("RAM start-up &pattern:");
    patternLabel->setBuddy(pattern_);
    auto* numbers = new QGridLayout;
    numbers->addWidget(clockLabel_, 0, 0);
    numbers->addWidget(clock_, 0, 1);
    numbers->addWidget(blankLabel_, 1, 0);
    numbers->addWidget(blank_, 1, 1);
    numbers->addWidget(patternLabel, 2, 0);
    numbers->addWidget(pattern_, 2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConfigurationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConfigurationDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(standard_);
    layout->addWidget(standardList_);
    layout->addWidget(custom_);
    layout->addLayout(grid);
    layout->addLayout(numbers);
    layout->addWidget(buttons);

    (selected_ == kCustomConfigIndex ? custom_ : standard_)->setChecked(true);
    updateEnabling();

    connect(standard_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) chooseStandard();
    });
    connect(custom_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) chooseCustom();
    });
    connect(standardList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (standard_->isChecked() && row >= 0) selected_ = row;
    });
    for (int which = 0; which < kLists; ++which)
        connect(lists_[static_cast<size_t>(which)], &QListWidget::currentRowChanged, this,
                [this, which](int row) { listChanged(static_cast<List>(which), row); });
}

void ConfigurationDialog::chooseStandard() {
    selected_ = rememberedStandard_;
    standardList_->setCurrentRow(selected_);
    updateEnabling();
}

void ConfigurationDialog::chooseCustom() {
    rememberedStandard_ = selected_;
    selected_ = kCustomConfigIndex;
    updateEnabling();
}

void ConfigurationDialog::listChanged(List which, int row) {
    uint32_t& field = work_.*kFields[static_cast<size_t>(which)];
    if (row < 0 || static_cast<uint32_t>(row) == field) return;
    field = static_cast<uint32_t>(row);
    // A new character set needs no restart: it is loaded on every configuration.
    if (which != kCharList) needsReset_ = true;
    updateEnabling();
}

void ConfigurationDialog::browse(int rom) {
    QLineEdit* edit = romEdits_[static_cast<size_t>(rom)];
    std::string path = edit->text().toStdString();
    if (chooseFile && chooseFile(chooser::kSelectRom, path) == 1) edit->setText(QString::fromStdString(path));
}

void ConfigurationDialog::updateEnabling() {
    const bool custom = custom_->isChecked();
    standardList_->setEnabled(!custom);
    for (int which = 0; which < kLists; ++which) {
        lists_[static_cast<size_t>(which)]->setEnabled(custom);
        listLabels_[static_cast<size_t>(which)]->setEnabled(custom);
    }
    for (QWidget* w : {static_cast<QWidget*>(clock_), static_cast<QWidget*>(clockLabel_),
                       static_cast<QWidget*>(blank_), static_cast<QWidget*>(blankLabel_)})
        w->setEnabled(custom);
    for (int rom = 0; rom < kRomFiles; ++rom) {
        const QListWidget* list = lists_[static_cast<size_t>(rom)];
        const bool useFile = custom && list->currentRow() == list->count() - 1;
        romEdits_[static_cast<size_t>(rom)]->setEnabled(useFile);
        browse_[static_cast<size_t>(rom)]->setEnabled(useFile);
    }
}

void ConfigurationDialog::accept() {
    const bool customSelected = selected_ == kCustomConfigIndex;
    if (selected_ != machine_.activeConfigIndex()) needsReset_ = true;
    // Changed custom choices restart nothing when a standard machine stays in use.
    bool fullReset = selected_ != machine_.activeConfigIndex() || (needsReset_ && customSelected);

    std::array<std::string, kRomFiles> paths;
    for (size_t rom = 0; rom < paths.size(); ++rom) {
        paths[rom] = romEdits_[rom]->text().toStdString();
        settings_.writeString(kPathSettings[rom], paths[rom]);
    }
    // A new file for a ROM in use is loaded as a new ROM choice would be; the
    // character set is reloaded in any case.
    if (customSelected && ((work_.basicRom == kBasicCustom && paths[0] != openedPaths_[0]) ||
                           (work_.expansionRom == kExpansionCustom && paths[1] != openedPaths_[1])))
        fullReset = true;
    machine_.setCustomRomFiles(paths[0], paths[1], paths[2]);

    MachineConfig custom = work_;
    if (!customSelected) {
        machine_.setCpuClock(machine_.configuration(selected_).cpuClockHz);
    } else if (const auto hz = numberIn(clock_, kMinClockHz, kMaxClockHz)) {
        settings_.writeNumber(kClockSetting, *hz);
        if (*hz != custom.cpuClockHz) {
            machine_.setCpuClock(*hz);
            custom.cpuClockHz = *hz;
        }
    }

    if (pattern_->currentText().trimmed().compare("Random", Qt::CaseInsensitive) == 0)
        machine_.setRamStartupPattern(kRandomStartupPattern);
    else if (const auto fill = numberIn(pattern_, 0, UINT32_MAX))
        machine_.setRamStartupPattern(*fill);

    if (const auto hz = numberIn(blank_, kMinBlankHz, kMaxBlankHz)) {
        settings_.writeNumber(kBlankSetting, *hz);
        if (customSelected) custom.frameHz = *hz;
    }
    machine_.setConfiguration(kCustomConfigIndex, custom);

    machine_.selectConfiguration(selected_, fullReset);
    QDialog::accept();
}

bool configurationDialog(QWidget* owner, Machine& machine, Settings& settings, FileChooser& chooser) {
    ConfigurationDialog dialog(machine, settings, owner);
    dialog.chooseFile = [&](int kind, std::string& path) { return chooser.chooseFile(&dialog, kind, path); };
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace kestrel
