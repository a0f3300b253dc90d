#include "host/refresh_rate.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace kestrel {

int displayRefreshHz(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return 0;
    const double hz = screen->refreshRate();
    return hz > 0 && hz < 1000 ? static_cast<int>(std::lround(hz)) : 0;
}

}  // namespace kestrel
