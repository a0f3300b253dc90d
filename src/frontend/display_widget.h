// The machine's screen inside the window: the frame image at a whole
// multiple of its size at (4, 4) on black, or in full screen at the largest 4:3 size (a whole multiple when one
// comes close), centred on black.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace kestrel {

struct FrameImage;

// The frame image as a QImage sharing its pixels (valid while the image is).
QImage wrapFrameImage(const FrameImage& frame);

class DisplayWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorder = 4;
    // In full screen a whole multiple of the image is used when it is at
    // least this share of the largest 4:3 height.
    static constexpr int kWholeMultiplePercent = 85;

    explicit DisplayWidget(QWidget* parent = nullptr);

    // The image painted from now on; the widget keeps only the pointer.
    void setSource(const FrameImage* frame);
    // Paints the source at once (the widget only, not the window).
    void present();
    // Black until the next present().
    void blank();
    void setFullScreenMode(bool on);
    // The whole multiple the image is drawn at outside full screen.
    void setScale(int scale);
    // Where the image goes in the widget.
    QRect imageRect() const;

    std::function<void()> doubleClicked;
    // The wheel's angle delta, in whole notches of 120 (finer wheels add up).
    std::function<void(int delta)> wheeled;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const FrameImage* frame_ = nullptr;
    bool blank_ = false;
    bool fullScreen_ = false;
    int scale_ = 1;
    int wheelDelta_ = 0;
};

}  // namespace kestrel
