// Window sizes asked for by a quest or the settings file are clamped to the screen the window is on: a
// size of tens of thousands of pixels would cost gigabytes of backing store and hide the window's controls.
#pragma once

#include <QSize>

class QWidget;

namespace tarvik::shell {

// `wanted` no larger than the available area of the screen `window` is on (or the primary screen).
QSize FitToScreen(const QWidget& window, QSize wanted);

// Resizes `window` to `wanted`, clamped as FitToScreen does.
void ResizeWithinScreen(QWidget& window, QSize wanted);

// Resizes `window` so that its frame, title bar and borders included, is `outer`, clamped as FitToScreen
// does. A window not shown yet has no known frame and takes `outer` as its inner size.
void ResizeFrameWithinScreen(QWidget& window, QSize outer);

}  // namespace tarvik::shell
