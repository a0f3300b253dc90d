// The three addresses asked for when memory is saved as a CAS file.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QLineEdit;

namespace kestrel {

struct CasAddresses {
    uint16_t from = 0;
    uint16_t end = 0;
    uint16_t entry = 0;
};

// Up to four hexadecimal digits (leading blanks and "0x" allowed, as scanf reads
// them); 0 when the text starts with no hex digit.
uint16_t parseHexAddress(const std::string& text);

class AddressPanel : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kFromPreset = "4000";
    static constexpr const char* kEndPreset = "7FFF";
    static constexpr const char* kEntryPreset = "0066";

    explicit AddressPanel(QWidget* owner = nullptr);
    // The edits as they stand, parsed.
    CasAddresses addresses() const;

    QLineEdit* fromEdit() const { return from_; }
    QLineEdit* endEdit() const { return end_; }
    QLineEdit* entryEdit() const { return entry_; }

private:
    QLineEdit* from_;
    QLineEdit* end_;
    QLineEdit* entry_;
};

// Shows a fresh panel (presets every time); false when cancelled.
bool askCasAddresses(QWidget* owner, CasAddresses& out);

}  // namespace kestrel
