#include "app/forms.h"
#include "mainwindow/form1.h"
#include "viewer/form2.h"

void Form1::HideButtons() {
    for (QPushButton *b : {Command1, Command2, Command4, Command5, Command6, Command7})
        b->setEnabled(false);
}

void Form1::Showbuttons() {
    for (QPushButton *b : {Command1, Command2, Command4, Command5, Command6, Command7})
        b->setEnabled(true);
}

// The viewer opens on CurrentIndex; the main window stays loaded and comes back when it closes.
void Form1::Command1_Click() {
    List1->SetFocus();
    Instance<Form2>().Show();
    hide();
}

void Form1::Image1_Click() {
    Instance<Form2>().Show();
    hide();
}

void Form1::Picture1_Click() {
    Instance<Form2>().Show();
    hide();
}

// The double-click's own first click has already selected the row and made it current.
void Form1::List1_DblClick() {
    Instance<Form2>().Show();
    hide();
}
