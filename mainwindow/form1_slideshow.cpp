#include "app/forms.h"
#include "mainwindow/form1.h"
#include "viewer/dialog.h"

// The delay dialog starts the viewer itself and hides this window; the buttons come back
// regardless, on the hidden window.
void Form1::Command4_Click() {
    HideButtons();
    ShowModal<Dialog>();
    Showbuttons();
}
