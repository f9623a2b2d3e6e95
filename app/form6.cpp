#include "app/form6.h"

#include "app/forms.h"
#include "mainwindow/form1.h"
#include "platform/files/files.h"
#include "platform/imaging/picture.h"
#include "platform/runtime/controls.h"
#include "platform/runtime/twips.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

Form6::Form6() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    // The sizable frame of the design is drawn in a margin around the client area, in the window
    // itself: no window manager draws one on a splash, and no other window can be placed
    // beside it everywhere (not on Wayland).
    frame_ = std::max(1, platform::ToPixels(60, this));
    platform::SetClientSize(this, 3000, 1500);
    setFixedSize(size().grownBy(QMargins(frame_, frame_, frame_, frame_)));
    // Placed by its client area, so it is where it belongs from its first frame on.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(QRect(screen->geometry().center() - rect().center(), size()));
    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Form6::Timer1_Timer);
    Timer1->start();
}

void Form6::Form_Load() {
    // A splash picture that cannot be decoded is treated like a missing one.
    if (!platform::Dir(QStringLiteral("splash.jpg")).isEmpty()) {
        if (auto picture = platform::LoadPicture(QStringLiteral("splash.jpg"))) {
            Picture = picture->image;
            return;
        }
    }
    handOver();
}

void Form6::Timer1_Timer() {
    handOver();
}

void Form6::handOver() {
    Form1 &main = Instance<Form1>();
    platform::ActivateForm(&main);
    main.setEnabled(true);
    Unload<Form6>();
}

void Form6::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    // Unscaled from the client area's top-left corner: a larger picture is clipped, a smaller
    // one leaves the background showing.
    const QRect client = rect().marginsRemoved(QMargins(frame_, frame_, frame_, frame_));
    painter.setClipRect(client);
    painter.drawImage(client.topLeft(), Picture);
}
