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
    platform::SetClientSize(this, 3000, 1500);
    setFixedSize(size());
    // The sizable frame of the design, around the client area and not over the picture.
    platform::FrameOutside(this, 60);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
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
    // Unscaled from the top-left corner: a larger picture is clipped, a smaller one leaves the
    // background showing.
    painter.drawImage(0, 0, Picture);
}
