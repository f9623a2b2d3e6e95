#include "platform/runtime/twips.h"

#include "platform/runtime/windowkind.h"

#include <QEvent>
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

namespace {
// Centres the window with its frame once the window manager has said how large the frame is,
// right before the window is first shown.
class Centring : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            centre(window, FrameExtents(window));
            deleteLater();
        }
        return false;
    }
    // Placed by its client area, which the window manager leaves where it is asked to.
    static void centre(QWidget *window, const QMargins &frame) {
        if (QScreen *s = screenOf(window)) {
            const QSize outer = window->size().grownBy(frame);
            const QPoint corner =
                s->availableGeometry().center() - QPoint(outer.width(), outer.height()) / 2;
            window->setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), window->size()));
        }
    }
};
} // namespace

void CentreOnScreen(QWidget *window) {
    Centring::centre(window, {});
    window->installEventFilter(new Centring(window));
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
