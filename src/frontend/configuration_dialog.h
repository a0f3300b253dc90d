// "Machine configuration": picks a standard machine or edits the custom one
// (ROM sets, ROM files, RAM size, clock, vertical blank) and the RAM start-up
// pattern, then reconfigures the machine on OK.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string>

#include "machine/config.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kestrel {

class FileChooser;
class Machine;
class Settings;

class ConfigurationDialog : public QDialog {
    Q_OBJECT
public:
    enum List { kBasicList, kExpansionList, kCharList, kRamList, kLists };
    // The ROM lists that have a file: BASIC, expansion, character.
    static constexpr int kRomFiles = 3;

    ConfigurationDialog(Machine& machine, Settings& settings, QWidget* owner = nullptr);

    // What a "..." button asks for a ROM file with: as FileChooser::chooseFile.
    std::function<int(int kind, std::string& path)> chooseFile;

    // OK: applies the choices to the machine and the settings, then closes.
    void accept() override;

    QRadioButton* standardButton() const { return standard_; }
    QRadioButton* customButton() const { return custom_; }
    QListWidget* standardList() const { return standardList_; }
    QListWidget* list(List which) const { return lists_[which]; }
    QLabel* listLabel(List which) const { return listLabels_[which]; }
    QLineEdit* romEdit(int rom) const { return romEdits_[static_cast<size_t>(rom)]; }
    QPushButton* browseButton(int rom) const { return browse_[static_cast<size_t>(rom)]; }
    QComboBox* clockBox() const { return clock_; }
    QLabel* clockLabel() const { return clockLabel_; }
    QComboBox* blankBox() const { return blank_; }
    QLabel* blankLabel() const { return blankLabel_; }
    QComboBox* patternBox() const { return pattern_; }

    int selectedIndex() const { return selected_; }
    bool needsReset() const { return needsReset_; }
    const MachineConfig& workingCopy() const { return work_; }

private:
    void chooseStandard();
    void chooseCustom();
    void listChanged(List which, int row);
    void browse(int rom);
    void updateEnabling();

    Machine& machine_;
    Settings& settings_;
    MachineConfig work_;
    int selected_;
    int rememberedStandard_;
    bool needsReset_ = false;
    std::array<std::string, kRomFiles> openedPaths_;

    QRadioButton* standard_;
    QRadioButton* custom_;
    QListWidget* standardList_;
    std::array<QListWidget*, kLists> lists_{};
    std::array<QLabel*, kLists> listLabels_{};
    std::array<QLineEdit*, kRomFiles> romEdits_{};
    std::array<QPushButton*, kRomFiles> browse_{};
    QComboBox* clock_;
    QLabel* clockLabel_;
    QComboBox* blank_;
    QLabel* blankLabel_;
    QComboBox* pattern_;
};

// Shows the dialog over `owner`, its "..." buttons asking `chooser`; true
// when OK reconfigured the machine, false when cancelled (nothing changes).
bool configurationDialog(QWidget* owner, Machine& machine, Settings& settings, FileChooser& chooser);

}  // namespace kestrel
