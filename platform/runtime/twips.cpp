#include "platform/runtime/twips.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace platform {

namespace {
QScreen *currentScreen() {
    // The window that is active decides; at start-up nothing is, so the primary screen does.
    if (QWidget *w = QApplication::activeWindow())
        if (QScreen *s = w->screen())
            return s;
    return QGuiApplication::primaryScreen();
}
} // namespace

float TwipsPerPixel() {
    QScreen *s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return dpi > 1.0 ? static_cast<float>(1440.0 / dpi) : 15.0f;
}

int ToPixels(float twips) {
    const double px = std::round(static_cast<double>(twips) / TwipsPerPixel());
    if (!std::isfinite(px))
        return 0;
    return static_cast<int>(std::clamp(px, -1.0e6, 1.0e6));
}

float ToTwips(int pixels) {
    return static_cast<float>(pixels) * TwipsPerPixel();
}

void Place(QWidget *control, float left, float top, float width, float height) {
    control->setGeometry(ToPixels(left), ToPixels(top), std::max(0, ToPixels(width)),
                         std::max(0, ToPixels(height)));
}

void SetClientSize(QWidget *window, float width, float height) {
    window->resize(ToPixels(width), ToPixels(height));
}

float ScreenWidth() {
    QScreen *s = currentScreen();
    return s ? ToTwips(s->geometry().width()) : 0.0f;
}

float ScreenHeight() {
    QScreen *s = currentScreen();
    return s ? ToTwips(s->geometry().height()) : 0.0f;
}

float WindowLeft(const QWidget *window) {
    return ToTwips(window->frameGeometry().left());
}
float WindowTop(const QWidget *window) {
    return ToTwips(window->frameGeometry().top());
}

void MoveWindow(QWidget *window, float left, float top) {
    window->move(ToPixels(left), ToPixels(top));
}

} // namespace platform
