// The three-part bar under the screen: the machine label (part 0), the four
// drive lamps (part 1) and the latest message with its tooltip (part 2).
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace kestrel {

class StatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 24;
    static constexpr int kPart0Right = 64;
    static constexpr int kPart1Right = 160;

    explicit StatusBar(QWidget* parent = nullptr);

    // Part 0 or 2; part 1 belongs to the lamps and is left alone.
    void setPartText(int part, const QString& text);
    QString partText(int part) const;
    // 0..3 lights that drive's lamp, anything else none.
    void setLitLamp(int drive);
    int litLamp() const { return litLamp_; }
    // The fill area of lamp 0..3 in bar coordinates.
    static QRect lampRect(int lamp);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QString texts_[3];
    int litLamp_ = -1;
};

}  // namespace kestrel
