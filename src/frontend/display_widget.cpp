#include "frontend/display_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "video/frame_image.h"

namespace kestrel {

QImage wrapFrameImage(const FrameImage& frame) {
    if (frame.width <= 0 || frame.height <= 0 || frame.dib.empty()) return {};
    if (frame.bitsPerPixel == 1) {
        // Bit 7 is the leftmost pixel: Qt's MSB-first mono format.
        QImage image(frame.pixels(), frame.width, frame.height, frame.stride(), QImage::Format_Mono);
        const uint8_t* p = frame.palette();
        image.setColorTable({qRgb(p[2], p[1], p[0]), qRgb(p[6], p[5], p[4])});
        return image;
    }
    // The palette is the gray ramp: a pixel value is its own intensity.
    return QImage(frame.pixels(), frame.width, frame.height, frame.stride(), QImage::Format_Grayscale8);
}

DisplayWidget::DisplayWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void DisplayWidget::setSource(const FrameImage* frame) {
    frame_ = frame;
    update();
}

void DisplayWidget::present() {
    blank_ = false;
    repaint();
}

void DisplayWidget::blank() {
    blank_ = true;
    repaint();
}

void DisplayWidget::setFullScreenMode(bool on) {
    fullScreen_ = on;
    setCursor(on ? Qt::BlankCursor : Qt::ArrowCursor);
    update();
}

void DisplayWidget::setScale(int scale) {
    scale_ = std::max(1, scale);
    update();
}

QRect DisplayWidget::imageRect() const {
    if (!frame_) return {};
    if (!fullScreen_) return QRect(kBorder, kBorder, frame_->width * scale_, frame_->height * scale_);
    // Largest 4:3 rectangle that fits, centred. A whole multiple of the
    // image keeps every dot the same size, so it wins when it comes close.
    int w = width(), h = height();
    if (w * 3 > h * 4)
        w = h * 4 / 3;
    else
        h = w * 3 / 4;
    const int whole = std::min(width() / frame_->width, height() / frame_->height);
    if (whole >= 1 && whole * frame_->height * 100 >= h * kWholeMultiplePercent) {
        w = whole * frame_->width;
        h = whole * frame_->height;
    }
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

void DisplayWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_ || blank_) return;
    const QImage image = wrapFrameImage(*frame_);
    if (image.isNull()) return;
    // Every dot the same whole number of pixels, no blending between them.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(imageRect(), image);
}

void DisplayWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && doubleClicked) doubleClicked();
}

void DisplayWidget::wheelEvent(QWheelEvent* event) {
    if (!wheeled) return QWidget::wheelEvent(event);
    wheelDelta_ += event->angleDelta().y();
    const int notches = wheelDelta_ / 120;
    wheelDelta_ -= notches * 120;
    if (notches) wheeled(notches * 120);
    event->accept();
}

}  // namespace kestrel
