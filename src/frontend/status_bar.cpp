#include "frontend/status_bar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace kestrel {

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    setFocusPolicy(Qt::NoFocus);
}

void StatusBar::setPartText(int part, const QString& text) {
    if (part != 0 && part != 2) return;
    if (texts_[part] == text) return;
    texts_[part] = text;
    update();
}

QString StatusBar::partText(int part) const { return part >= 0 && part < 3 ? texts_[part] : QString(); }

void StatusBar::setLitLamp(int drive) {
    const int lit = drive >= 0 && drive <= 3 ? drive : -1;
    if (lit == litLamp_) return;
    litLamp_ = lit;
    update(QRect(kPart0Right, 0, kPart1Right - kPart0Right, height()));
}

QRect StatusBar::lampRect(int lamp) {
    // Measured from a 24-pixel bar: a third of its height down, plus 2.
    return QRect(74 + 20 * lamp, kHeight / 3 + 2, 13, kHeight / 3);
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    const int rights[3] = {kPart0Right, kPart1Right, width()};
    int left = 0;
    for (int part = 0; part < 3; ++part) {
        // Each part a sunken panel, two pixels apart.
        const QRect panel(left, 2, rights[part] - left - 2, height() - 2);
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(panel.topLeft(), panel.topRight());
        p.drawLine(panel.topLeft(), panel.bottomLeft());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(panel.bottomLeft(), panel.bottomRight());
        p.drawLine(panel.topRight(), panel.bottomRight());
        if (part != 1 && !texts_[part].isEmpty()) {
            p.setPen(pal.color(QPalette::WindowText));
            p.drawText(panel.adjusted(4, 1, -2, -1), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                       texts_[part]);
        }
        left = rights[part];
    }
    for (int lamp = 0; lamp < 4; ++lamp) {
        const QRect r = lampRect(lamp);
        // Sunken frame one pixel outside the fill.
        const QRect f = r.adjusted(-1, -1, 1, 1);
        p.setPen(pal.color(QPalette::Dark));
        p.drawLine(f.topLeft(), f.topRight());
        p.drawLine(f.topLeft(), f.bottomLeft());
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(f.bottomLeft(), f.bottomRight());
        p.drawLine(f.topRight(), f.bottomRight());
        p.fillRect(r, lamp == litLamp_ ? QColor(255, 0, 0) : QColor(0, 0, 0));
    }
}

bool StatusBar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (help->pos().x() >= kPart1Right && !texts_[2].isEmpty())
            QToolTip::showText(help->globalPos(), texts_[2], this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace kestrel
