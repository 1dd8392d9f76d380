#include "shell/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tarvik::shell {

QSize FitToScreen(const QWidget& window, QSize wanted) {
    const QScreen* screen = window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return wanted;
    const QSize room = screen->availableGeometry().size();
    if (room.isEmpty()) return wanted;
    return wanted.boundedTo(room);
}

void ResizeWithinScreen(QWidget& window, QSize wanted) {
    window.resize(FitToScreen(window, wanted));
}

void ResizeFrameWithinScreen(QWidget& window, QSize outer) {
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    window.resize((FitToScreen(window, outer) - frame).expandedTo(QSize(1, 1)));
}

}  // namespace tarvik::shell
