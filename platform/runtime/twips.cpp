#include "platform/runtime/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace platform {

namespace {
QScreen *screenOf(const QWidget *window) {
    if (window)
        if (QScreen *s = window->screen())
            return s;
    return QGuiApplication::primaryScreen();
}
} // namespace

float TwipsPerPixel(const QWidget *on) {
    QScreen *s = screenOf(on);
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    return dpi > 1.0 ? static_cast<float>(1440.0 / dpi) : 15.0f;
}

int ToPixels(float twips, const QWidget *on) {
    const double px = std::round(static_cast<double>(twips) / TwipsPerPixel(on));
    if (!std::isfinite(px))
        return 0;
    return static_cast<int>(std::clamp(px, -1.0e6, 1.0e6));
}

float ToTwips(int pixels, const QWidget *on) {
    return static_cast<float>(pixels) * TwipsPerPixel(on);
}

void Place(QWidget *control, float left, float top, float width, float height) {
    control->setGeometry(ToPixels(left, control), ToPixels(top, control),
                         std::max(0, ToPixels(width, control)),
                         std::max(0, ToPixels(height, control)));
}

void SetClientSize(QWidget *window, float width, float height) {
    window->resize(ToPixels(width, window), ToPixels(height, window));
}

void OpenOnScreenOf(QWidget *window, const QWidget *opener) {
    if (QScreen *s = screenOf(opener))
        window->setScreen(s);
}

void CentreOnScreen(QWidget *window) {
    if (QScreen *s = screenOf(window))
        window->move(s->availableGeometry().center() - window->rect().center());
}

float ScreenWidth(const QWidget *window) {
    QScreen *s = screenOf(window);
    return s ? ToTwips(s->geometry().width(), window) : 0.0f;
}

float ScreenHeight(const QWidget *window) {
    QScreen *s = screenOf(window);
    return s ? ToTwips(s->geometry().height(), window) : 0.0f;
}

float WindowLeft(const QWidget *window) {
    return ToTwips(window->frameGeometry().left(), window);
}
float WindowTop(const QWidget *window) {
    return ToTwips(window->frameGeometry().top(), window);
}

void MoveWindow(QWidget *window, float left, float top) {
    window->move(ToPixels(left, window), ToPixels(top, window));
}

} // namespace platform
