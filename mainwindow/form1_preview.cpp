#include "app/globals.h"
#include "mainwindow/form1.h"

void Form1::List1_Click() {
    g.CurrentIndex = List1->ListIndex() + 1;
    Thumbnail();
}

void Form1::Thumbnail() {}

void Form1::Convert() {}

void Form1::Timer1_Timer() {}
