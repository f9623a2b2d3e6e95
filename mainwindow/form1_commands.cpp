#include "mainwindow/form1.h"

void Form1::HideButtons() {
    for (QPushButton *b : {Command1, Command2, Command4, Command5, Command6, Command7})
        b->setEnabled(false);
}

void Form1::Showbuttons() {
    for (QPushButton *b : {Command1, Command2, Command4, Command5, Command6, Command7})
        b->setEnabled(true);
}

void Form1::Command1_Click() {}
void Form1::Command4_Click() {}
void Form1::Image1_Click() {}
void Form1::Picture1_Click() {}
void Form1::List1_DblClick() {}
