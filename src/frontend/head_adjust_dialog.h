// "Tape head adjust": the trigger level a WAV tape's pulses must swing past,
// and whether its signal is read upside down.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSlider;

namespace kestrel {

class HeadAdjustDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLevel = 240;

    HeadAdjustDialog(int level, bool inverted, QWidget* owner = nullptr);
    // The number in the edit, kept within 0..240 (a typed 300 is 240, not 60),
    // and the check box.
    int level() const;
    bool inverted() const;

    QSlider* slider() const { return slider_; }
    QLineEdit* edit() const { return edit_; }
    QCheckBox* invert() const { return invert_; }

private:
    QSlider* slider_;
    QLineEdit* edit_;
    QCheckBox* invert_;
};

// Shows the dialog over `owner`; false when cancelled (nothing changes).
bool askTapeHead(QWidget* owner, int& level, bool& inverted);

}  // namespace kestrel
