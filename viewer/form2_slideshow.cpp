#include "app/globals.h"
#include "viewer/form2.h"

#include <QMouseEvent>

void Form2::Timer1_Timer() {
    // The timer runs in every state; only a running show advances.
    if (g.SlideshowOn != 1)
        return;
    SetTimerInterval(g.SlideshowDelay);
    StepForward();
    DisplayImage();
}

void Form2::mousePressEvent(QMouseEvent *event) {
    Form_MouseDown(event->button(), event->globalPosition().toPoint());
}

void Form2::Form_MouseDown(Qt::MouseButton button, QPoint globalPos) {
    RightButtonDown(button, globalPos);
}

void Form2::Image1_MouseDown(Qt::MouseButton button, QPoint globalPos) {
    RightButtonDown(button, globalPos);
}

void Form2::Label1_MouseDown(Qt::MouseButton button, QPoint globalPos) {
    RightButtonDown(button, globalPos);
}

// The show is paused before the menu opens, so a tick while it is open finds nothing to do.
void Form2::RightButtonDown(Qt::MouseButton button, QPoint globalPos) {
    if (button != Qt::RightButton ||
        WaitsForDisplay([this, button, globalPos] { RightButtonDown(button, globalPos); }))
        return;
    mnuOptionsZoomIn->setEnabled(g.ZoomLimit != 1);
    if (g.SlideshowOn == 1) {
        g.SlideshowOn = 0;
        g.SlideshowPaused = 1;
        mnuOptionsSlideshow->setText(QStringLiteral("Slideshow (Paused)... Restart"));
    }
    mnuOptions->popup(globalPos);
}

void Form2::mnuOptionsSlideshow_Click() {
    if (g.SlideshowPaused == 1) {
        g.SlideshowPaused = 0;
        mnuOptionsSlideshow->setText(QStringLiteral("Slideshow"));
    }
    g.SlideshowOn = 1;
    if (g.SlideshowDelay < 10000) {
        g.SlideshowDelay = 5000;
        SetTimerInterval(5000);
    }
}
