// The host display's refresh rate, for the presentation pacing.
#pragma once

class QWidget;

namespace kestrel {

// Whole hertz of the screen the widget is on (the primary screen without one);
// 0 when the host does not say, which the pacing takes as 100.
int displayRefreshHz(const QWidget* widget);

}  // namespace kestrel
