#include "app/forms.h"
#include "app/globals.h"
#include "viewer/fit_rules.h"
#include "viewer/form2.h"

#include <QKeyEvent>

void Form2::keyPressEvent(QKeyEvent *event) {
    Form_KeyDown(event->key(), static_cast<int>(event->modifiers()));
    // Escape has unloaded the window: it takes no further keys.
    if (FormSlot<Form2> != this)
        return;
    if (const int ascii = KeyAscii(event->text(), event->modifiers()))
        Form_KeyPress(ascii);
}

void Form2::Form_KeyDown(int keyCode, int) {
    switch (keyCode) {
    case Qt::Key_Escape:
        Unload<Form2>();
        break;
    case Qt::Key_Up:
        zoom();
        break;
    case Qt::Key_Down:
        unzoom();
        break;
    case Qt::Key_Space:
    case Qt::Key_Right:
        StepForward();
        DisplaySoon();
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        StepBackward();
        DisplaySoon();
        break;
    default:
        break;
    }
}

void Form2::Form_KeyPress(int keyAscii) {
    if (keyAscii == '=')
        zoom();
    else if (keyAscii == '-')
        unzoom();
}

void Form2::StepForward() {
    steppingBack_ = false;
    g.CurrentIndex = g.CurrentIndex + 1;
    if (g.CurrentIndex > g.ImageCount)
        g.CurrentIndex = 1;
}

void Form2::StepBackward() {
    steppingBack_ = true;
    g.CurrentIndex = g.CurrentIndex - 1;
    if (g.CurrentIndex < 1)
        g.CurrentIndex = g.ImageCount;
}

void Form2::mnuOptionsNext_Click() {
    StepForward();
    DisplayImage();
}

void Form2::mnuOptionsPrevious_Click() {
    StepBackward();
    DisplayImage();
}

void Form2::mnuOptionsExit_Click() {
    Unload<Form2>();
}
